#include "prop_sheet.h"

#include "dorvane_app.h"
#include "property_page.h"

namespace kv::ui {

namespace {

// Between page activations at start-up.
constexpr std::uint32_t kPageActivationWaitMs = 100;

}  // namespace

PropSheet::PropSheet(CDorvaneApp& app, std::string caption)
    : app_(app), initialCaption_(std::move(caption)) {}

void PropSheet::Attach(SheetHost* host, HotPlugNotifier* hotPlug) {
  host_ = host;
  hotPlug_ = hotPlug;
  app_.SetAsker(host);
}

void PropSheet::NotifyInitDialog() {
  EventGate::Scope running(app_.Gate());
  // The framework's part: the start page exists before the sensors open.
  host_->ActivatePage(0);
  app_.ConfigLoaded = 0;
  // Hot-plug reports start before the sensors present are enumerated, so a
  // sensor plugged in while they are read is not lost; the gate holds the
  // reports until start-up is done, and one for a sensor the enumeration
  // opened as well enters nothing twice.
  devNotifyRegistered_ = false;
  RegisterDeviceArrival();
  {
    WaitCursor busy(*host_);
    if (app_.OpenAllDevices()) {
      UpdateCaption();
      // Every sensor was read a moment ago; sensor 0 is not read again.
      app_.LoadConfigJustRead();
    } else {
      UpdateCaption();
      app_.FwVariant = -1;
    }
  }
  SetFwVariant(app_.DeviceFw);
  // Every page makes its window and fills its controls before the user
  // sees the sheet, so each one also hears the page commands and Apply.
  for (int i = 0; i < static_cast<int>(pages_.size()); ++i) {
    host_->ActivatePage(i);
    host_->Pause(kPageActivationWaitMs);
  }
  host_->ActivatePage(0);
  // A sensor the user may not open would otherwise look like none at all.
  accessHelp_.Tell(*host_, app_.AccessDeniedPaths());
  // Another program keeping the sensor through the whole start-up: say who,
  // rather than show an empty window without a word.
  if (!app_.ConfigLoaded) {
    if (const std::string note = app_.SensorInUseNote(); !note.empty()) {
      host_->ShowMessage(
          {"The sensor's configuration could not be read." + note, {}, MessageIcon::Warning});
    }
  }
  // Key sends a killed program left halted are resumed now.
  for (const std::string& told : app_.ResumeOrphanedHalts()) {
    host_->ShowMessage({told, {}, MessageIcon::Information});
  }
}

void PropSheet::UpdateCaption() {
  host_->SetCaption(app_.FormatCaption());
}

void PropSheet::SetFwVariant(std::int32_t firmware) {
  app_.SetFwVariant(firmware);
}

void PropSheet::RefreshAfterDeviceChange() {
  app_.RefreshConfigFmDev();
  UpdateCaption();
  SetFwVariant(app_.DeviceFw);
}

void PropSheet::RegisterDeviceArrival() {
  if (devNotifyRegistered_) {
    return;
  }
  Guid interfaceClass;
  if (!app_.GetHidGuid(&interfaceClass)) {
    return;
  }
  unsigned long error = 0;
  if (hotPlug_ && hotPlug_->Start(*this, &error)) {
    devNotifyRegistered_ = true;
    return;
  }
  // The sheet carries on; sensors plugged in later are not seen.
  host_->ShowMessage({"GetLastError() == " + std::to_string(error), "RegisterDeviceNotification()",
                      MessageIcon::Warning});
}

void PropSheet::OnDeviceArrival(const std::string& path) {
  app_.Gate().Deliver([this, path] { DeviceChanged(true, path); });
}

void PropSheet::OnDeviceRemoval(const std::string& path) {
  app_.Gate().Deliver([this, path] { DeviceChanged(false, path); });
}

void PropSheet::DeviceChanged(bool arrived, const std::string& path) {
  if (!host_) {
    return;
  }
  WaitCursor busy(*host_);
  const int changed = arrived ? app_.DeviceArrived(path) : app_.DeviceRemoved(path);
  if (changed) {
    RefreshAfterDeviceChange();
    SendPageCommand(CMD_REFRESH_PAGES, 0);
  }
  accessHelp_.Tell(*host_, app_.AccessDeniedPaths());
}

void PropSheet::SendPageCommand(int command, int parameter) {
  for (PropertyPage* page : pages_) {
    if (page->HasWindow()) {
      page->NotifyCommand(command, parameter);
    }
  }
}

void PropSheet::NotifyHaltKeySendsClicked() {
  EventGate::Scope running(app_.Gate());
  WaitCursor busy(*host_);
  // The settle time is spent inside the send's hold of the sensor.
  app_.SendControl(host_->IsHaltKeySendsChecked() ? 1 : 0);
}

void PropSheet::ResumeKeySendsIfHalted() {
  if (host_->IsHaltKeySendsChecked()) {
    app_.SendControl(0);
  }
}

bool PropSheet::ApplyPages() {
  // Tab order matters: the key pages leave a record to the Sonar page when
  // it also edited that record, so each record is written once.
  bool accepted = true;
  for (PropertyPage* page : pages_) {
    if (page->HasWindow() && !page->NotifyApply()) {
      accepted = false;
    }
  }
  // A write kept another program's values: the pages show them now.
  if (app_.TakeMergedFromSensor()) {
    SendPageCommand(CMD_REFRESH_PAGES, 0);
  }
  return accepted;
}

bool PropSheet::NotifyOk() {
  EventGate::Scope running(app_.Gate());
  WaitCursor busy(*host_);
  ResumeKeySendsIfHalted();
  if (ApplyPages()) {
    return true;
  }
  // A page refused, so the sheet stays open: halt the key sends again, so
  // that the ticked box still tells the truth. Not when the session ended
  // meanwhile (a page's message box runs the event loop): its resume was
  // the last word.
  if (!finished_ && host_->IsHaltKeySendsChecked()) {
    app_.SendControl(1);
  }
  return false;
}

bool PropSheet::NotifyApply() {
  EventGate::Scope running(app_.Gate());
  WaitCursor busy(*host_);
  return ApplyPages();
}

void PropSheet::NotifyCancel() {
  EventGate::Scope running(app_.Gate());
  WaitCursor busy(*host_);
  ResumeKeySendsIfHalted();
}

}  // namespace kv::ui

namespace kv::ui {

bool PropSheet::UserMayAct() const {
  return !app_.Runner().Busy() && !finished_;
}

void PropSheet::UserOk() {
  if (UserMayAct() && NotifyOk()) {
    Finish();
  }
}

void PropSheet::UserApply() {
  if (UserMayAct()) {
    NotifyApply();
  }
}

bool PropSheet::UserHaltKeySendsClicked() {
  if (!UserMayAct()) {
    return false;
  }
  NotifyHaltKeySendsClicked();
  return true;
}

void PropSheet::RequestCancel() {
  if (finished_ || cancelRequested_) {
    return;
  }
  // A close that comes while the sheet is busy (the window manager's close
  // is no user input to hold back) waits until the sheet is done.
  cancelRequested_ = true;
  app_.Gate().Deliver([this] {
    cancelRequested_ = false;
    if (!finished_) {
      NotifyCancel();
      Finish();
    }
  });
}

void PropSheet::EndSession() {
  if (finished_) {
    return;
  }
  // Not through the gate: the handler that holds it may never end before
  // the program does. The runner still takes one piece of library work at a
  // time, so the resume follows the work under way.
  finished_ = true;
  // A wait for the sensor under way gives up, and nothing else is sent. No
  // settle time after the resume: no command follows, and the platform
  // gives the program only a few seconds.
  app_.EndSession(host_ && host_->IsHaltKeySendsChecked());
  Finish();
}

void PropSheet::Finish() {
  finished_ = true;
  if (host_) {
    host_->CloseSheet();
  }
  if (closed_) {
    closed_();
  }
}

}  // namespace kv::ui
