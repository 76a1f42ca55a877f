// The Sonar page: detection distances, delays, ping rate, indicators, still targets.
#pragma once

#include "property_page.h"

namespace kv::ui {

class SNRPage : public PropertyPage {
 public:
  static constexpr int kTemplateId = 107;
  explicit SNRPage(CDorvaneApp& app);
};

}  // namespace kv::ui
