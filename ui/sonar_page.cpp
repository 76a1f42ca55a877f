#include "sonar_page.h"

namespace kv::ui {

SNRPage::SNRPage(CDorvaneApp& app) : PropertyPage(app, kTemplateId, "Sonar") {}

}  // namespace kv::ui
