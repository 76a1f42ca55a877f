// One run of the configurator on Windows: the emulated sensors (under
// --simulate), the event loop, the busy runner, the application object, the
// sheet's window, hot-plug and the simulation panel, set up and torn down in
// the right order. The program and its tests run through it.
#pragma once

#include <kv7700/emulation.h>

#include <functional>
#include <memory>
#include <string>

#include "busy_runner.h"
#include "dorvane_app.h"
#include "event_loop.h"
#include "program_options.h"
#include "window_services.h"

namespace kv::ui::win32 {

class SheetWindow;
class SimulationPanel;

class Session {
 public:
  explicit Session(Options options);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Loads the emulated sensors, checks the library and makes the window
  // (and the simulation panel). False when the program must end, with its
  // exit status in *exitStatus (the user has been told why).
  bool Prepare(int* exitStatus);
  // Runs the window until the sheet closes; the program's exit status.
  int Run();
  // After the sheet closed: closes every sensor, keeps the emulated sensors
  // in their files. The program's exit status.
  int Finish();

  CDorvaneApp& App() { return app_; }
  EventLoop& Loop() { return loop_; }
  WindowServices& Services() { return services_; }
  SheetWindow* Window() { return window_.get(); }
  emu::SensorSet* Emulation() { return simulation_.get(); }

 private:
  class EmulatedBroadcast;
  void Tell(const std::string& text);

  Options options_;
  // Declared in the order they are needed; destroyed in reverse.
  EventLoop loop_;
  std::unique_ptr<emu::SensorSet> simulation_;
  BusyRunner runner_{loop_};
  WindowServices services_{runner_};
  CDorvaneApp app_;
  std::unique_ptr<SheetWindow> window_;
  std::unique_ptr<EmulatedBroadcast> broadcast_;  // under --simulate
  std::unique_ptr<SimulationPanel> panel_;
  bool finished_ = false;
};

}  // namespace kv::ui::win32
