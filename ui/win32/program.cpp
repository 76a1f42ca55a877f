#include "program.h"

#include <kv7700/native_hid.h>

#include "device_change.h"
#include "monitor_hot_plug_notifier.h"
#include "range_plot_window.h"
#include "sheet_window.h"
#include "simulation_panel.h"
#include "wide_text.h"

namespace kv::ui::win32 {

// The emulated bus's arrivals and removals, delivered to the sheet as the
// system delivers a real sensor's: WM_DEVICECHANGE with a device-interface
// record, so under --simulate the window's own notification path runs too.
// The bus's monitor is watched by the event loop.
class Program::EmulatedBroadcast final : public HotPlugSink {
 public:
  EmulatedBroadcast(EventLoop& loop, MonitorHotPlugNotifier& source, HWND window)
      : loop_(loop), source_(source), window_(window) {}
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
  MonitorHotPlugNotifier& source_;
  HWND window_;
  HANDLE watched_ = nullptr;
};

Program::Program(Options options) : session_(std::move(options)) {}

Program::~Program() {
  Finish();
}

bool Program::ClaimSession() {
  claimed_ = instance_.Claim();
  return claimed_;
}

bool Program::Prepare(int* exitStatus) {
  // Real sensors, unless the session installs emulated ones.
  hid::InstallNativePlatform();
  std::string appName;
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    const std::wstring_view full(path, length);
    const std::size_t slash = full.find_last_of(L"\\/");
    appName = Narrow(full.substr(slash == std::wstring_view::npos ? 0 : slash + 1));
  }
  if (!session_.Start(appName, runner_, ownerless_, exitStatus)) {
    return false;
  }
  using HostWindow = WindowSession::HostWindow;
  // The window registers for device notifications itself; under --simulate
  // the emulated bus sends it the same messages.
  window_ = session_.Adopt(
      HostWindow::SheetWindow,
      std::make_unique<SheetWindow>(*session_.App().Sheet(), services_, loop_, nullptr));
  session_.SetClosedListener([this] {
    if (plotWindow_) {
      plotWindow_->Hide();  // closes with the sheet
    }
    loop_.Quit(0);
  });
  if (claimed_) {
    window_->AnswerLaterStarts();
  }
  unsigned long error = 0;
  if (!window_->Create(&error)) {
    session_.Tell("The configurator's window could not be made (system error " +
                  std::to_string(error) + ").");
    *exitStatus = 1;
    return false;
  }
  if (emu::SensorSet* simulation = session_.Emulation()) {
    EmulatedBroadcast* broadcast = session_.Adopt(
        HostWindow::HotPlugWatch,
        std::make_unique<EmulatedBroadcast>(loop_, session_.HotPlug(), window_->Window()));
    if (!broadcast->Start(&error)) {
      session_.Tell("The emulated sensors' bus could not be watched (system error " +
                    std::to_string(error) + ").");
      *exitStatus = 1;
      return false;
    }
    session_.Adopt(HostWindow::Panel, std::make_unique<SimulationPanel>(*simulation, loop_))
        ->Create(window_->Window());
  }
  // The distance plot opens when auto ranging starts, and from the sheet's
  // system menu.
  RangePlotFeed& plotFeed = *session_.PlotFeed();
  plotWindow_ =
      session_.Adopt(HostWindow::PlotWindow, std::make_unique<RangePlotWindow>(plotFeed.Plot()));
  if (plotWindow_->Create(window_->Window())) {
    plotFeed.SetView(plotWindow_);
    window_->AddMenuCommand(kPlotMenuEntry, [this] {
      session_.OpenPlot();
      plotWindow_->Open();  // asked for from the keyboard or the mouse: it takes the keyboard
    });
  }
  return true;
}

int Program::Run() {
  loop_.Run();
  return Finish();
}

int Program::Finish() {
  window_ = nullptr;
  plotWindow_ = nullptr;
  return session_.Finish();
}

}  // namespace kv::ui::win32
