#include "walk_away_page.h"

namespace kv::ui {

WAPage::WAPage(CDorvaneApp& app) : PropertyPage(app, kTemplateId, "Walk-Away") {}

}  // namespace kv::ui
