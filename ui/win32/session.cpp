#include "session.h"

#include <kv7700/hid.h>

#include <cstdlib>

#include "monitor_hot_plug.h"
#include "sheet_window.h"
#include "simulation_panel.h"
#include "wide_text.h"

namespace kv::ui::win32 {

// The emulated bus's monitor, watched by the event loop once the sheet has
// started it. (For hardware the sheet's window registers for device
// notifications itself.)
class Session::WatchedHotPlug final : public HotPlugSource {
 public:
  WatchedHotPlug(EventLoop& loop, MonitorHotPlugSource::Factory factory)
      : loop_(loop), source_(std::move(factory)) {}
  ~WatchedHotPlug() override {
    if (watched_) {
      loop_.Unwatch(watched_);
    }
  }
  bool Start(HotPlugSink& sink, unsigned long* error) override {
    if (!source_.Start(sink, error)) {
      return false;
    }
    watched_ = source_.Fd();
    loop_.Watch(watched_, [this] { source_.Drain(); });
    return true;
  }

 private:
  EventLoop& loop_;
  MonitorHotPlugSource source_;
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
    emu::SensorSet* simulation = simulation_.get();
    hotPlug_ = std::make_unique<WatchedHotPlug>(
        loop_, [simulation](int* error) { return simulation->MakeMonitor(error); });
  }

  app_.SetRunner(&runner_);
  OwnerlessHost ownerless(services_);
  if (!app_.InitInstance(ownerless)) {
    *exitStatus = 1;
    return false;
  }
  window_ =
      std::make_unique<SheetWindow>(*app_.Sheet(), app_.Gate(), services_, loop_, hotPlug_.get());
  window_->SetClosedListener([this] { loop_.Quit(0); });
  unsigned long error = 0;
  if (!window_->Create(&error)) {
    Tell("The configurator's window could not be made (system error " + std::to_string(error) +
         ").");
    *exitStatus = 1;
    return false;
  }
  if (simulation_) {
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
  window_.reset();
  hotPlug_.reset();
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
