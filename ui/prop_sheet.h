// The property sheet's logic: caption, "Halt Key Sends", start-up sequence,
// device arrival and removal, the page commands and the Apply protocol.
//
// The host builds the window (sheet_host.h), calls Attach, then
// NotifyInitDialog, and afterwards the Notify operation of each button. It
// closes the window when NotifyOk returns true and after NotifyCancel; the
// window's close button is Cancel.
#pragma once

#include <string>
#include <vector>

#include "access_help.h"
#include "hot_plug_source.h"
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
  void Attach(SheetHost* host, HotPlugSource* hotPlug);

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

  CDorvaneApp& app_;
  std::string initialCaption_;
  std::vector<PropertyPage*> pages_;
  SheetHost* host_ = nullptr;
  HotPlugSource* hotPlug_ = nullptr;
  bool devNotifyRegistered_ = false;  // DevNotifyHandle
  AccessHelp accessHelp_;
};

}  // namespace kv::ui
