// The Misc. page: memory commands, advanced settings, quick setup, range
// readings, cloning between sensors and configuration template files.
//
// The page keeps almost nothing of its own: it acts through the application
// object and steers the other pages with the page commands. Nothing here
// changes the sensor's configuration before the sheet's Apply, except the
// memory commands and "Write Saved Data to Device", which act at once.
#pragma once

#include <kv7700/records.h>

#include <cstdint>
#include <optional>
#include <string>

#include "property_page.h"
#include "range_listener.h"

namespace kv::ui {

class MiscPage : public PropertyPage {
 public:
  static constexpr int kTemplateId = 110;

  // Control ids of template 110.
  static constexpr int kIdResetAll = 1033;
  static constexpr int kIdRestoreUserDefaults = 1034;
  static constexpr int kIdSaveUserDefaults = 1035;
  static constexpr int kIdAdvancedSettings = 1039;
  static constexpr int kIdWin2K = 1040;
  static constexpr int kIdWinXPWelcome = 1041;
  static constexpr int kIdWin98 = 1042;
  static constexpr int kIdWinXPClassic = 1043;
  static constexpr int kIdGetRange = 1049;
  static constexpr int kIdRangeText = 1050;
  static constexpr int kIdSaveClone = 1051;
  static constexpr int kIdWriteClone = 1052;
  static constexpr int kIdCloneSaved = 1053;
  static constexpr int kIdAutoRange = 1054;
  static constexpr int kIdRangeRate = 1055;
  static constexpr int kIdRateLabel = 1057;
  static constexpr int kIdViewRangeGroup = 1058;
  static constexpr int kIdSaveToFile = 1065;
  static constexpr int kIdRestoreFromFile = 1066;

  // The auto-range timer.
  static constexpr std::uint32_t RANGE_TIMER_ID = 1025;

  explicit MiscPage(CDorvaneApp& app);

  // Shows and enables the range group, or hides it on the reduced firmware
  // variant, which measures no distance.
  void UpdateRangeVisibility();

  // The last distance reading, and the running auto-range timer (0: none).
  const RangeInfo& LastRange() const { return lastRange_; }
  std::uint32_t RangeTimer() const { return rangeTimer_; }
  // Told of the timed readings (the live plot); may be null.
  void SetRangeListener(RangeListener* listener) { rangeListener_ = listener; }

 protected:
  void OnInitDialog() override;
  void OnCommand(int command, int parameter) override;
  void OnTimer(std::uint32_t id) override;

 private:
  enum class FileUse { Save, Open };

  // The memory commands: the application's operation, its name for the
  // failure message, and whether it needs the user-default firmware.
  void RunMemoryCommand(int (CDorvaneApp::*command)(), const char* name, bool userDefaults);
  void OnAdvancedSettings();
  void OnQuickSetup(int id);
  void OnGetRange();
  void OnAutoRange();
  void StopAutoRange();
  void ShowRange();
  void OnSaveClone();
  void OnWriteClone();
  // The chosen path, or nothing when the user cancelled.
  std::optional<std::string> PromptForFile(FileUse use);
  void OnSaveToFile();
  void OnRestoreFromFile();
  // Sends a page command to every page of the sheet, this one included.
  void SendPageCommand(int command, int parameter);

  RangeInfo lastRange_;
  std::uint32_t rangeTimer_ = 0;
  RangeListener* rangeListener_ = nullptr;
};

}  // namespace kv::ui
