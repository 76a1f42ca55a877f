// The Walk-Away page: the key strokes the sensor types when a person walks away.
#pragma once

#include "property_page.h"

namespace kv::ui {

class WAPage : public PropertyPage {
 public:
  static constexpr int kTemplateId = 108;
  explicit WAPage(CDorvaneApp& app);
};

}  // namespace kv::ui
