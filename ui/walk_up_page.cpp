#include "walk_up_page.h"

namespace kv::ui {

WUPage::WUPage(CDorvaneApp& app) : PropertyPage(app, kTemplateId, "Walk-To") {}

}  // namespace kv::ui
