#include "misc_page.h"

namespace kv::ui {

MiscPage::MiscPage(CDorvaneApp& app) : PropertyPage(app, kTemplateId, "Misc.") {}

}  // namespace kv::ui
