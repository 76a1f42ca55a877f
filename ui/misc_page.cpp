#include "misc_page.h"

#include <cstdio>

#include "dorvane_app.h"
#include "prop_sheet.h"
#include "sonar_page.h"
#include "walk_away_page.h"
#include "walk_up_page.h"

namespace kv::ui {

namespace {

// The pages show the configuration read back only after the sensor has
// settled from a memory command.
constexpr std::uint32_t kAfterMemoryCommandMs = 1000;
// The shortest auto-range period accepted. Ticks that fall due during a
// reading (250 ms) are dropped, so readings never pile up.
constexpr std::uint32_t kMinRangeRateMs = 100;
constexpr std::uint32_t kInitialRangeRateMs = 500;
constexpr std::uint32_t kTrapBeepHz = 1000;
constexpr std::uint32_t kTrapBeepMs = 1000;

constexpr int kRangeGroup[] = {MiscPage::kIdViewRangeGroup, MiscPage::kIdAutoRange,
                               MiscPage::kIdRangeRate,      MiscPage::kIdRateLabel,
                               MiscPage::kIdGetRange,       MiscPage::kIdRangeText};

struct QuickSetupButton {
  int id;
  int preset;
};
constexpr QuickSetupButton kQuickSetup[] = {{MiscPage::kIdWin2K, 1},
                                            {MiscPage::kIdWinXPWelcome, 2},
                                            {MiscPage::kIdWin98, 3},
                                            {MiscPage::kIdWinXPClassic, 4}};

}  // namespace

MiscPage::MiscPage(CDorvaneApp& app) : PropertyPage(app, kTemplateId, "Misc.") {
  HandleClick(kIdResetAll, [this](int) {
    RunMemoryCommand(&CDorvaneApp::ResetAllAndRefresh, "ResetAllAndRefresh", false);
  });
  HandleClick(kIdRestoreUserDefaults, [this](int) {
    RunMemoryCommand(&CDorvaneApp::RestoreUserDefaultsAndRefresh, "RestoreUserDefaultsAndRefresh",
                     true);
  });
  HandleClick(kIdSaveUserDefaults, [this](int) {
    RunMemoryCommand(&CDorvaneApp::SaveUserDefaultsAndRefresh, "SaveUserDefaultsAndRefresh", true);
  });
  HandleClick(kIdAdvancedSettings, [this](int) { OnAdvancedSettings(); });
  HandleClick({kIdWin2K, kIdWinXPWelcome, kIdWin98, kIdWinXPClassic},
              [this](int id) { OnQuickSetup(id); });
  HandleClick(kIdGetRange, [this](int) { OnGetRange(); });
  HandleClick(kIdAutoRange, [this](int) { OnAutoRange(); });
  HandleClick(kIdSaveClone, [this](int) { OnSaveClone(); });
  HandleClick(kIdWriteClone, [this](int) { OnWriteClone(); });
  HandleClick(kIdSaveToFile, [this](int) { OnSaveToFile(); });
  HandleClick(kIdRestoreFromFile, [this](int) { OnRestoreFromFile(); });
}

void MiscPage::OnInitDialog() {
  // Preset 3 is kept from the user, although the key pages know it.
  Dialog().SetVisible(kIdWin98, false);
  Dialog().SetNumber(kIdRangeRate, kInitialRangeRateMs);
  rangeTimer_ = 0;
  UpdateRangeVisibility();
}

void MiscPage::UpdateRangeVisibility() {
  const bool shown = App().FwVariant != 2;
  for (int id : kRangeGroup) {
    Dialog().SetVisible(id, shown);
    if (shown) {
      Dialog().SetEnabled(id, true);
    }
  }
}

void MiscPage::OnCommand(int command, int /*parameter*/) {
  if (command != CMD_REFRESH_PAGES) {
    return;
  }
  // Every page leaves its advanced state on a refresh by itself, so the box
  // is cleared without telling them.
  Dialog().SetChecked(kIdAdvancedSettings, false);
  UpdateRangeVisibility();
  if (rangeListener_) {
    rangeListener_->ConfigurationChanged();
  }
}

void MiscPage::SendPageCommand(int command, int parameter) {
  if (PropSheet* sheet = App().Sheet()) {
    sheet->SendPageCommand(command, parameter);
  }
}

// --- Memory commands ---------------------------------------------------------

void MiscPage::RunMemoryCommand(int (CDorvaneApp::*command)(), const char* name,
                                bool userDefaults) {
  WaitCursor busy(Dialog());
  if (userDefaults && App().DeviceFw < kFwUserDefaults) {
    Message("This Feature is not supported on your current Firmware!");
    return;
  }
  if (!(App().*command)()) {
    // Silence here would let the user believe the sensor was reset.
    Failure(std::string("Failed ") + name + "!");
    return;
  }
  Dialog().Pause(kAfterMemoryCommandMs);
  for (const auto& button : kQuickSetup) {
    Dialog().SetChecked(button.id, false);
  }
  SendPageCommand(CMD_REFRESH_PAGES, 0);
}

// --- Advanced settings and quick setup ----------------------------------------

void MiscPage::OnAdvancedSettings() {
  SendPageCommand(CMD_ADVANCED_SETTINGS, Dialog().IsChecked(kIdAdvancedSettings) ? 1 : 0);
}

void MiscPage::OnQuickSetup(int id) {
  if (!App().ConfigLoaded) {
    Dialog().SetChecked(id, false);
    return;
  }
  for (const auto& button : kQuickSetup) {
    if (button.id == id) {
      SendPageCommand(CMD_QUICK_SETUP, button.preset);
    }
  }
}

// --- Range readings ------------------------------------------------------------

void MiscPage::ShowRange() {
  char text[64];
  std::snprintf(text, sizeof text,
                lastRange_.InRange ? "InRange: %d inches" : "NOT InRange: %d inches",
                static_cast<int>(lastRange_.Distance));
  Dialog().SetText(kIdRangeText, text);
}

void MiscPage::OnGetRange() {
  WaitCursor busy(Dialog());
  if (App().DeviceFw < kFwRangeReading) {
    Message("The firmware version does not support this Feature.");
    return;
  }
  if (App().GetRangeInfo(&lastRange_)) {
    ShowRange();
    return;
  }
  // Every sensor is closed; the sheet opens them again when one is plugged
  // in. The pages keep showing the configuration last read. A sensor that
  // another program kept is sound and stays open.
  const std::uint32_t error = App().GetDevError();
  const std::string inUse = App().SensorInUseNote();
  if (inUse.empty()) App().CloseAllDevices();
  char text[64];
  std::snprintf(text, sizeof text, "Failed to Get RangeInfo: Err = %08lX",
                static_cast<unsigned long>(error));
  Message(text + inUse);
}

void MiscPage::OnAutoRange() {
  if (Dialog().IsChecked(kIdAutoRange)) {
    const std::uint32_t rate = Dialog().GetNumber(kIdRangeRate);
    if (rate < kMinRangeRateMs) {
      Message("Time in msec must be >= 100", "Entry Error", MessageIcon::Exclamation);
    } else if (!App().ConfigLoaded) {
      Message("Device not connected?", "Device Error", MessageIcon::Exclamation);
    } else {
      Dialog().SetEnabled(kIdGetRange, false);
      rangeTimer_ = Dialog().StartTimer(RANGE_TIMER_ID, rate);
      if (rangeTimer_ != 0) {
        if (rangeListener_) {
          rangeListener_->AutoRangeStarted();
        }
        return;
      }
    }
  }
  StopAutoRange();
}

void MiscPage::StopAutoRange() {
  if (rangeTimer_ != 0) {
    Dialog().KillTimer(rangeTimer_);
  }
  rangeTimer_ = 0;
  Dialog().SetEnabled(kIdGetRange, true);
  Dialog().SetChecked(kIdAutoRange, false);
  if (rangeListener_) {
    rangeListener_->AutoRangeStopped();
  }
}

void MiscPage::OnTimer(std::uint32_t id) {
  // A tick of a timer already stopped reads nothing.
  if (id != RANGE_TIMER_ID || rangeTimer_ == 0) {
    return;
  }
  if (App().GetRangeInfo(&lastRange_)) {
    ShowRange();
    if (rangeListener_) {
      rangeListener_->RangeRead(lastRange_);
    }
    return;
  }
  if (rangeListener_) {
    rangeListener_->RangeFailed();
  }
  // Halted: the box stays ticked and "Get Range" disabled until the user's
  // next click on the box. The sensors stay open.
  Dialog().KillTimer(rangeTimer_);
  rangeTimer_ = 0;
  Dialog().Beep(kTrapBeepHz, kTrapBeepMs);
  Failure("Failed GetRange in onTimer", "Device Trap", MessageIcon::Exclamation);
}

// --- Cloning ---------------------------------------------------------------------

void MiscPage::OnSaveClone() {
  App().SaveCloneData();
  Dialog().SetChecked(kIdCloneSaved, true);
}

void MiscPage::OnWriteClone() {
  if (!Dialog().IsChecked(kIdCloneSaved)) {
    Message("Data NOT Saved!");
    return;
  }
  WaitCursor busy(Dialog());
  if (!App().WriteCloneData()) {
    Failure("Failed WriteCloneData!");
  }
}

// --- Template files ------------------------------------------------------------------

std::optional<std::string> MiscPage::PromptForFile(FileUse use) {
  // The save dialog asks before it replaces an existing file.
  return use == FileUse::Save ? Dialog().AskSaveFile() : Dialog().AskOpenFile();
}

void MiscPage::OnSaveToFile() {
  const std::optional<std::string> path = PromptForFile(FileUse::Save);
  if (!path) {
    return;
  }
  WaitCursor busy(Dialog());
  // Edits not yet applied go into the file too.
  CDorvaneApp& app = App();
  if (app.PageSonar && app.PageSonar->HasWindow()) {
    app.PageSonar->CollectSonarPage();
  }
  if (app.PageWalkAway && app.PageWalkAway->HasWindow()) {
    app.PageWalkAway->StoreWalkAway();
  }
  if (app.PageWalkTo && app.PageWalkTo->HasWindow()) {
    app.PageWalkTo->StoreWalkUp();
  }
  if (!app.PushConfigToLib()) {
    Message("Failed PushConfigToLib!");
    return;
  }
  if (!app.WriteDevCfgToFile(*path)) {
    Message("Failed WriteDevCfgToFile!" + app.LastFailureNote());
  }
}

void MiscPage::OnRestoreFromFile() {
  const std::optional<std::string> path = PromptForFile(FileUse::Open);
  if (!path) {
    return;
  }
  WaitCursor busy(Dialog());
  if (!App().ReadDevCfgFmFile(*path)) {
    Message("Failed ReadDevCfgFmFile!");
    return;
  }
  if (!App().PullConfigFmLib()) {
    Message("Failed PullConfigFmLib!");
    return;
  }
  // Every page shows the file's values and counts them as pending, so that
  // Apply writes the whole restored configuration.
  SendPageCommand(CMD_REFRESH_PAGES, 1);
}

}  // namespace kv::ui
