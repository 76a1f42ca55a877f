// The Walk-To page: the key strokes the sensor types when a person walks up.
#pragma once

#include "property_page.h"

namespace kv::ui {

class WUPage : public PropertyPage {
 public:
  static constexpr int kTemplateId = 109;
  explicit WUPage(CDorvaneApp& app);
};

}  // namespace kv::ui
