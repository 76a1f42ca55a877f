// The property sheet's logic: caption, "Halt Key Sends", start-up sequence,
// device arrival and removal, the page commands and the Apply protocol.
//
// The host builds the window (sheet_host.h), calls Attach, then
// NotifyInitDialog, and afterwards routes the user's buttons to UserOk,
// UserApply, UserHaltKeySendsClicked and RequestCancel (also for the
// window's close button); the sheet closes the window through
// SheetHost::CloseSheet.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "access_help.h"
#include "hot_plug_notifier.h"
#include "sheet_host.h"

namespace kv::ui {

class CDorvaneApp;
class PropertyPage;

class PropSheet final : public HotPlugSink {
 public:
  PropSheet(CDorvaneApp& app, std::string caption);
  PropSheet(const PropSheet&) = delete;
  PropSheet& operator=(const PropSheet&) = delete;

  // The pages in tab order (Walk-Away, Walk-To, Sonar, Misc).
  void AddPage(PropertyPage* page) { pages_.push_back(page); }
  const std::vector<PropertyPage*>& Pages() const { return pages_; }
  // The caption the window starts with.
  const std::string& InitialCaption() const { return initialCaption_; }

  // `hotPlug` may be null: the sheet then hears of no device changes.
  void Attach(SheetHost* host, HotPlugNotifier* hotPlug);

  // --- Called by the host. ---
  // Opens the sensors, sets the caption, reads sensor 0, registers for
  // device changes and creates every page.
  void NotifyInitDialog();
  // The user clicked "Halt Key Sends" (the box holds its new state).
  void NotifyHaltKeySendsClicked();
  // OK: resumes key sends if halted, applies every page; true when all
  // accepted and the window may close.
  bool NotifyOk();
  // Apply: every page in tab order; true when all accepted.
  bool NotifyApply();
  // Cancel or the window's close button: resumes key sends if halted.
  void NotifyCancel();

  // --- The user at the window, the same in every host. ---
  // False while library work runs (what the window takes meanwhile is not
  // the user's to act on) and once the sheet has finished.
  bool UserMayAct() const;
  // OK and Apply as the user gives them; OK closes the sheet when every
  // page accepted. Ignored while the user may not act.
  void UserOk();
  void UserApply();
  // False when the click was not taken: the host puts the box back to what
  // the sheet knows.
  bool UserHaltKeySendsClicked();
  // Cancel, the close box, Esc, the end of the program: runs as soon as no
  // handler runs, then closes the sheet. Asked again meanwhile, nothing.
  void RequestCancel();
  // The desktop session ends (logout, shutdown, a signal that ends the
  // program): the program ends as soon as this returns, whatever handler
  // runs now (a range reading, an open message box). Waits for the library
  // work under way, resumes key sends the user halted and finishes the
  // sheet; a Cancel asked for earlier then does nothing.
  void EndSession();
  bool Finished() const { return finished_; }
  // Told once, when the sheet has closed by OK or Cancel.
  void SetClosedListener(std::function<void()> listener) { closed_ = std::move(listener); }

  // HotPlugSink: held while any handler or library call runs.
  void OnDeviceArrival(const std::string& path) override;
  void OnDeviceRemoval(const std::string& path) override;

  // --- Operations. ---
  void UpdateCaption();
  void SetFwVariant(std::int32_t firmware);
  void RefreshAfterDeviceChange();
  void RegisterDeviceArrival();
  bool DeviceNotificationsRegistered() const { return devNotifyRegistered_; }
  // Sends a page command to every page whose window exists, in tab order.
  void SendPageCommand(int command, int parameter);
  // Tells the user of sensors present but not accessible.
  AccessHelp& Access() { return accessHelp_; }

 private:
  void DeviceChanged(bool arrived, const std::string& path);
  void ResumeKeySendsIfHalted();
  bool ApplyPages();
  void Finish();

  CDorvaneApp& app_;
  std::string initialCaption_;
  std::vector<PropertyPage*> pages_;
  SheetHost* host_ = nullptr;
  HotPlugNotifier* hotPlug_ = nullptr;
  bool devNotifyRegistered_ = false;  // DevNotifyHandle
  AccessHelp accessHelp_;
  bool cancelRequested_ = false;
  bool finished_ = false;
  std::function<void()> closed_;
};

}  // namespace kv::ui
