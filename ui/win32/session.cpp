#include "session.h"

#include <kv7700/hid.h>

#include <cstdlib>

#include "device_change.h"
#include "monitor_hot_plug_source.h"
#include "sheet_window.h"
#include "simulation_panel.h"
#include "wide_text.h"

namespace kv::ui::win32 {

// The emulated bus's arrivals and removals, delivered to the sheet as the
// system delivers a real sensor's: WM_DEVICECHANGE with a device-interface
// record, so under --simulate the window's own notification path runs too.
// The bus's monitor is watched by the event loop.
class Session::EmulatedBroadcast final : public HotPlugSink {
 public:
  EmulatedBroadcast(EventLoop& loop, MonitorHotPlugSource::Factory factory, HWND window)
      : loop_(loop), source_(std::move(factory)), window_(window) {}
  ~EmulatedBroadcast() override {
    if (watched_) {
      loop_.Unwatch(watched_);
    }
  }
  EmulatedBroadcast(const EmulatedBroadcast&) = delete;
  EmulatedBroadcast& operator=(const EmulatedBroadcast&) = delete;

  bool Start(unsigned long* error) {
    if (!source_.Start(*this, error)) {
      return false;
    }
    watched_ = source_.Waitable();
    loop_.Watch(watched_, [this] { source_.Drain(); });
    return true;
  }
  void OnDeviceArrival(const std::string& path) override { Send(DBT_DEVICEARRIVAL, path); }
  void OnDeviceRemoval(const std::string& path) override { Send(DBT_DEVICEREMOVECOMPLETE, path); }

 private:
  void Send(WPARAM event, const std::string& path) {
    std::vector<DWORD> record = DeviceInterfaceRecord(path);
    SendMessageW(window_, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(record.data()));
  }

  EventLoop& loop_;
  MonitorHotPlugSource source_;
  HWND window_;
  HANDLE watched_ = nullptr;
};

Session::Session(Options options) : options_(std::move(options)) {}

Session::~Session() {
  if (!finished_) {
    Finish();
  }
}

void Session::Tell(const std::string& text) {
  services_.ShowMessage(nullptr, {text, app_.AppName(), MessageIcon::Error});
}

bool Session::Prepare(int* exitStatus) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    const std::wstring_view full(path, length);
    const std::size_t slash = full.find_last_of(L"\\/");
    app_.SetAppName(Narrow(full.substr(slash == std::wstring_view::npos ? 0 : slash + 1)));
  }
  if (options_.simulate) {
    simulation_ = std::make_unique<emu::SensorSet>();
    std::string error;
    if (!simulation_->Load(options_.simulateFiles, &error)) {
      Tell(error);
      *exitStatus = 2;
      return false;
    }
    const char* denied = std::getenv("KV7700_SIMULATE_DENIED");
    if (denied && std::string(denied) == "1") {
      // As a sensor whose device the user may not open.
      simulation_->SetAccessDenied(true);
    }
    hid::SetPlatform(&simulation_->Platform());
  }

  app_.SetRunner(&runner_);
  OwnerlessHost ownerless(services_);
  if (!app_.InitInstance(ownerless)) {
    *exitStatus = 1;
    return false;
  }
  // The window registers for device notifications itself; under --simulate
  // the emulated bus sends it the same messages.
  window_ = std::make_unique<SheetWindow>(*app_.Sheet(), app_.Gate(), services_, loop_, nullptr);
  window_->SetClosedListener([this] { loop_.Quit(0); });
  unsigned long error = 0;
  if (!window_->Create(&error)) {
    Tell("The configurator's window could not be made (system error " + std::to_string(error) +
         ").");
    *exitStatus = 1;
    return false;
  }
  if (simulation_) {
    emu::SensorSet* simulation = simulation_.get();
    broadcast_ = std::make_unique<EmulatedBroadcast>(
        loop_, [simulation](int* code) { return simulation->MakeMonitor(code); },
        window_->Window());
    if (!broadcast_->Start(&error)) {
      Tell("The emulated sensors' bus could not be watched (system error " + std::to_string(error) +
           ").");
      *exitStatus = 1;
      return false;
    }
    panel_ = std::make_unique<SimulationPanel>(*simulation_, loop_);
    panel_->Create(window_->Window());
  }
  return true;
}

int Session::Run() {
  loop_.Run();
  return Finish();
}

int Session::Finish() {
  if (finished_) {
    return 0;
  }
  finished_ = true;
  // The window and hot-plug refer to the sheet, which ExitInstance destroys.
  panel_.reset();
  broadcast_.reset();
  window_.reset();
  int status = 0;
  if (app_.Sheet()) {
    app_.ExitInstance();
  }
  if (simulation_) {
    std::string error;
    if (!simulation_->Save(&error)) {
      Tell(error);
      status = 1;
    }
    hid::SetPlatform(nullptr);
  }
  return status;
}

}  // namespace kv::ui::win32
