#include "walk_away_page.h"

namespace kv::ui {

namespace {

constexpr KeySet kNone{};
constexpr KeySet kCtrlAltDelete{0x05, 0x4C};
constexpr KeySet kGuiL{0x08, 0x0F};

constexpr KeyPageData<tsWalkAwayParms> kWalkAway{
    WAPage::kTemplateId,
    "Walk-Away",
    &RecordSet::WalkAway,
    &CDorvaneApp::WalkAwayPending,
    &CDorvaneApp::WalkAwayPendingSonar,
    &CDorvaneApp::PushWalkAwayToDev,
    &tsWalkAwayParms::MinFltRepRate,
    "Failed to Write the device Features (WalkAway)!",
    {{
        // "Win2K": Ctrl+Alt+Del, then K, Backspace, Esc.
        {kCtrlAltDelete, KeySet{0, 0x0E}, KeySet{0, 0x2A}, KeySet{0, 0x29}},
        // "WinXP Welcome Screen Logon": Windows+L locks the session.
        {kGuiL, kNone, kNone, kNone},
        // "Win98/ME": no keys.
        {kNone, kNone, kNone, kNone},
        // "WinXP Classic Logon Prompt".
        {kGuiL, kNone, kNone, kNone},
    }},
};

}  // namespace

WAPage::WAPage(CDorvaneApp& app) : KeyPage(app, kWalkAway) {}

}  // namespace kv::ui
