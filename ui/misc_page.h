// The Misc. page: memory commands, advanced settings, quick setup, range, cloning, files.
#pragma once

#include "property_page.h"

namespace kv::ui {

class MiscPage : public PropertyPage {
 public:
  static constexpr int kTemplateId = 110;
  explicit MiscPage(CDorvaneApp& app);
};

}  // namespace kv::ui
