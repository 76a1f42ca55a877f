// One run of the configurator: the emulated sensors (under --simulate), the
// busy runner, the application object, the sheet's window, hot-plug and the
// simulation panel, set up and torn down in the right order. The program,
// the screenshot and stall tools and the tests all run through it.
#pragma once

#include <kv7700/emulation.h>

#include <functional>
#include <memory>
#include <string>

#include "busy_runner.h"
#include "dorvane_app.h"
#include "monitor_hot_plug_source.h"
#include "program_options.h"
#include "range_plot_feed.h"
#include "window_services.h"

namespace kv::ui::qt {

class HotPlugWatch;
class RangePlotWindow;
class SheetWindow;
class SimulationPanel;

class Session {
 public:
  explicit Session(Options options);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Loads the emulated sensors, checks the library and builds the window.
  // False when the program must end, with its exit status in *exitStatus
  // (the user has been told why).
  bool Prepare(int* exitStatus);
  // Shows the window (and the simulation panel) and starts the sheet as
  // soon as the event loop runs.
  void Show();
  // Runs the sheet's start-up now (tests and tools, instead of Show's).
  void StartNow();
  // Closes the sheet as Cancel does (key sends the user halted are resumed)
  // as soon as it is not busy: the desktop or a signal ends the program.
  void RequestQuit();
  // Told when the sheet has closed.
  void SetClosedListener(std::function<void()> listener) { closed_ = std::move(listener); }
  // After the sheet closed: closes every sensor, keeps the emulated sensors
  // in their files. The program's exit status.
  int Finish();

  CDorvaneApp& App() { return app_; }
  BusyRunner& Runner() { return runner_; }
  WindowServices& Services() { return services_; }
  SheetWindow* Window() { return window_.get(); }
  emu::SensorSet* Emulation() { return simulation_.get(); }
  SimulationPanel* Panel() { return panel_.get(); }
  RangePlotWindow* PlotWindow() { return plotWindow_.get(); }
  // Opens the distance plot (the sheet's context menu does).
  void ShowPlot();

 private:
  void Tell(const std::string& text, const std::string& caption);

  Options options_;
  // Declared in the order they are needed; destroyed in reverse.
  std::unique_ptr<emu::SensorSet> simulation_;
  BusyRunner runner_;
  WindowServices services_{runner_};
  CDorvaneApp app_;
  std::unique_ptr<MonitorHotPlugSource> hotPlug_;
  std::unique_ptr<HotPlugWatch> hotPlugWatch_;
  std::unique_ptr<SheetWindow> window_;
  std::unique_ptr<SimulationPanel> panel_;
  std::unique_ptr<RangePlotFeed> plotFeed_;
  std::unique_ptr<RangePlotWindow> plotWindow_;
  std::function<void()> closed_;
  bool started_ = false;
  bool finished_ = false;
};

}  // namespace kv::ui::qt
