// One run of the configurator on Windows: the event loop, the busy runner,
// and the windows of a WindowSession (the sheet's window, the emulated bus's
// notifications under --simulate, the simulation panel and the distance
// plot), which the session owns and takes down at its end. The program and
// its tests run through it.
#pragma once

#include <kv7700/emulation.h>

#include <memory>
#include <string>

#include "busy_runner.h"
#include "dorvane_app.h"
#include "event_loop.h"
#include "program_options.h"
#include "single_instance.h"
#include "window_services.h"
#include "window_session.h"

namespace kv::ui::win32 {

class RangePlotWindow;
class SheetWindow;
class SimulationPanel;

class Program {
 public:
  explicit Program(Options options);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // One configurator per user session: false when another one runs, which
  // has been asked to bring its sheet forward; this one then ends.
  bool ClaimSession();
  // Starts the run and makes the window (and the simulation panel). False
  // when the program must end, with its exit status in *exitStatus (the
  // user has been told why).
  bool Prepare(int* exitStatus);
  // Runs the window until the sheet closes; the program's exit status.
  int Run();
  // After the sheet closed: takes the windows down and ends the run. The
  // program's exit status.
  int Finish();

  CDorvaneApp& App() { return session_.App(); }
  EventLoop& Loop() { return loop_; }
  WindowServices& Services() { return services_; }
  SheetWindow* Window() { return window_; }
  emu::SensorSet* Emulation() { return session_.Emulation(); }
  RangePlotWindow* PlotWindow() { return plotWindow_; }
  RangePlotFeed* PlotFeed() { return session_.PlotFeed(); }

 private:
  class EmulatedBroadcast;

  // Declared in the order they are needed; destroyed in reverse.
  SingleInstance instance_;
  bool claimed_ = false;
  EventLoop loop_;
  BusyRunner runner_{loop_};
  WindowServices services_{runner_};
  OwnerlessHost ownerless_{services_};
  WindowSession session_;
  // The session's, until its end.
  SheetWindow* window_ = nullptr;
  RangePlotWindow* plotWindow_ = nullptr;
};

}  // namespace kv::ui::win32
