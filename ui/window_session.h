// One run of the configurator, whatever the window: the emulated sensors
// under --simulate (installed as the platform, and kept in their files at
// the end), the application object with its start-up checks, the hot-plug
// source, the distance plot's feed and the listeners that tie them to the
// sheet, and the end of the run in its one order. A host makes its windows
// after Start and hands them to the session (Adopt), which takes them down
// at Finish.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "dialog_host.h"
#include "dorvane_app.h"
#include "monitor_hot_plug_notifier.h"
#include "program_options.h"
#include "range_plot_feed.h"

namespace kv::emu {
class SensorSet;
}

namespace kv::ui {

// Whether this run is the one configurator of the user's session (a later
// start brings its sheet forward and ends). Runs under --simulate are not:
// they reach no real sensor, so their "Halt Key Sends" cannot disagree with
// a real sheet's, and scripts and tests start several at once.
bool OneWindowPerSession(const Options& options);

// The caption of the program's message boxes, the same on every platform:
// the program file's name without its folder or a ".exe" (any case).
std::string MessageCaptionOf(std::string_view programFile);

class WindowSession {
 public:
  explicit WindowSession(Options options);
  ~WindowSession();
  WindowSession(const WindowSession&) = delete;
  WindowSession& operator=(const WindowSession&) = delete;

  // What a host makes for the run, named in the order Finish takes them
  // down: the plot window (placed beside the sheet's), the simulation panel,
  // the watch that delivers hot-plug events to the sheet, the sheet's window.
  enum class HostWindow { PlotWindow, Panel, HotPlugWatch, SheetWindow };

  // Loads the emulated sensors, checks the library and builds the sheet;
  // feeds the distance plot from the Misc page's readings and passes the
  // sheet's closing on to SetClosedListener's listener.
  // `appName` is the program file's name, for MessageCaptionOf.
  // `runner` and `host` (message boxes owned by no window) outlive the
  // session's Finish. False when the program must end, with its exit status
  // in *exitStatus (the user has been told why).
  bool Start(const std::string& appName, LibraryRunner& runner, WindowHost& host, int* exitStatus);
  // Tells the user of a failure that ends the program, in a message box
  // owned by no window and, for a start from a terminal, on stderr.
  void Tell(const std::string& text);
  // After the sheet closed: unhooks the listeners, takes the adopted parts
  // down in the order of HostWindow, then the hot-plug notifier and the plot's
  // feed; closes every sensor, keeps the emulated sensors in their files,
  // gives the platform back. The program's exit status. Runs once; later
  // calls return 0.
  int Finish();

  // The session keeps `part` until Finish; a part adopted again replaces
  // (and destroys) the one before. The part, for the host to use meanwhile.
  template <class T>
  T* Adopt(HostWindow part, std::unique_ptr<T> made) {
    T* kept = made.get();
    parts_[static_cast<std::size_t>(part)] = std::shared_ptr<T>(std::move(made));
    return kept;
  }
  // Told when the sheet has closed (the host ends its event loop).
  void SetClosedListener(std::function<void()> listener) { closed_ = std::move(listener); }
  // The run ends while there is no sheet's window: told as its closing.
  void SheetClosed() {
    if (closed_) {
      closed_();
    }
  }
  // The distance plot's data, after Start; the host gives it its window
  // with SetView.
  RangePlotFeed* PlotFeed() { return plotFeed_.get(); }
  // The user opens the distance plot.
  void OpenPlot();

  CDorvaneApp& App() { return app_; }
  // The emulated sensors under --simulate, else null.
  emu::SensorSet* Emulation() { return simulation_.get(); }
  // The hot-plug source of the sensors this run uses: the emulated bus under
  // --simulate, else the system's. Made on the first call; it outlives the
  // sheet's window.
  MonitorHotPlugNotifier& HotPlug();

 private:
  Options options_;
  std::unique_ptr<emu::SensorSet> simulation_;
  CDorvaneApp app_;
  std::unique_ptr<MonitorHotPlugNotifier> hotPlug_;
  std::unique_ptr<RangePlotFeed> plotFeed_;
  std::function<void()> closed_;
  static constexpr std::size_t kHostWindowCount =
      static_cast<std::size_t>(HostWindow::SheetWindow) + 1;
  std::array<std::shared_ptr<void>, kHostWindowCount> parts_;
  WindowHost* host_ = nullptr;
  bool platformInstalled_ = false;
  bool finished_ = false;
};

}  // namespace kv::ui
