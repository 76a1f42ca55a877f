#include "walk_up_page.h"

namespace kv::ui {

namespace {

constexpr KeySet kNone{};
constexpr KeySet kCtrlAltDelete{0x05, 0x4C};

constexpr KeyPageData<tsWalkUpParms> kWalkUp{
    WUPage::kTemplateId,
    "Walk-To",
    &RecordSet::WalkUp,
    &CDorvaneApp::WalkUpPending,
    &CDorvaneApp::WalkUpPendingSonar,
    &CDorvaneApp::PushWalkUpToDev,
    nullptr,  // no fault send rate on this page
    "Failed to Write the device Features (WalkUp)!",
    {{
        // "Win2K": Ctrl+Alt+Del brings up the logon prompt.
        {kCtrlAltDelete, kNone, kNone, kNone},
        // "WinXP Welcome Screen Logon": the welcome screen needs no keys.
        {kNone, kNone, kNone, kNone},
        // "Win98/ME".
        {kNone, kNone, kNone, kNone},
        // "WinXP Classic Logon Prompt".
        {kCtrlAltDelete, kNone, kNone, kNone},
    }},
};

}  // namespace

WUPage::WUPage(CDorvaneApp& app) : KeyPage(app, kWalkUp) {}

}  // namespace kv::ui
