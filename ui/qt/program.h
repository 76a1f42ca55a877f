// One run of the configurator in Qt: the busy runner, and the Qt windows of
// a WindowSession (the sheet's window, hot-plug through the event loop, the
// simulation panel and the distance plot), which the session owns and takes
// down at its end. The program, the developer tools and the tests all run
// through it.
#pragma once

#include <kv7700/emulation.h>

#include <functional>
#include <memory>
#include <string>

#include "busy_runner.h"
#include "dorvane_app.h"
#include "program_options.h"
#include "window_services.h"
#include "window_session.h"

namespace kv::ui::qt {

class HotPlugWatch;
class RangePlotWindow;
class SheetWindow;
class SimulationPanel;

class Program {
 public:
  explicit Program(Options options);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Starts the run and builds the window. False when the program must end,
  // with its exit status in *exitStatus (the user has been told why).
  bool Prepare(int* exitStatus);
  // Shows the window (and the simulation panel) and starts the sheet as
  // soon as the event loop runs.
  void Show();
  // Runs the sheet's start-up now (tests and tools, instead of Show's).
  void StartNow();
  // The desktop session or a signal ends the program: key sends the user
  // halted are resumed now, after the library work under way, and the sheet
  // closes, whatever it is doing.
  void EndSession();
  // Another start of the configurator asks for this one: the sheet comes to
  // the front.
  void ComeForward();
  // Told when the sheet has closed.
  void SetClosedListener(std::function<void()> listener) {
    session_.SetClosedListener(std::move(listener));
  }
  // After the sheet closed: takes the windows down and ends the run. The
  // program's exit status.
  int Finish();

  CDorvaneApp& App() { return session_.App(); }
  BusyRunner& Runner() { return runner_; }
  WindowServices& Services() { return services_; }
  SheetWindow* Window() { return window_; }
  emu::SensorSet* Emulation() { return session_.Emulation(); }
  SimulationPanel* Panel() { return panel_; }
  RangePlotWindow* PlotWindow() { return plotWindow_; }
  // Opens the distance plot (the sheet's context menu does).
  void ShowPlot() { session_.OpenPlot(); }

 private:
  // Declared in the order they are needed; destroyed in reverse.
  BusyRunner runner_;
  WindowServices services_{runner_};
  OwnerlessHost ownerless_{services_};
  WindowSession session_;
  // The session's, until its end.
  HotPlugWatch* hotPlugWatch_ = nullptr;
  SheetWindow* window_ = nullptr;
  SimulationPanel* panel_ = nullptr;
  RangePlotWindow* plotWindow_ = nullptr;
  bool started_ = false;
};

}  // namespace kv::ui::qt
