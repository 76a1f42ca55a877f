// One run of the configurator, whatever the window: the emulated sensors
// under --simulate (installed as the platform, and kept in their files at
// the end), the application object with its start-up checks, and the end of
// the run in its order. A host makes its windows after Start and takes them
// down before Finish.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "dialog_host.h"
#include "dorvane_app.h"
#include "monitor_hot_plug_source.h"
#include "program_options.h"

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

  // Loads the emulated sensors, checks the library and builds the sheet.
  // `appName` is the program file's name, for MessageCaptionOf.
  // `runner` and `host` (message boxes owned by no window) outlive the
  // session's Finish. False when the program must end, with its exit status
  // in *exitStatus (the user has been told why).
  bool Start(const std::string& appName, LibraryRunner& runner, WindowHost& host, int* exitStatus);
  // Tells the user of a failure that ends the program, in a message box
  // owned by no window and, for a start from a terminal, on stderr.
  void Tell(const std::string& text);
  // After the host's windows are gone: closes every sensor, keeps the
  // emulated sensors in their files, gives the platform back. The program's
  // exit status. Runs once; later calls return 0.
  int Finish();

  CDorvaneApp& App() { return app_; }
  // The emulated sensors under --simulate, else null.
  emu::SensorSet* Emulation() { return simulation_.get(); }
  // The hot-plug source of the sensors this run uses: the emulated bus under
  // --simulate, else the system's.
  std::unique_ptr<MonitorHotPlugSource> MakeHotPlugSource();

 private:
  Options options_;
  std::unique_ptr<emu::SensorSet> simulation_;
  CDorvaneApp app_;
  WindowHost* host_ = nullptr;
  bool platformInstalled_ = false;
  bool finished_ = false;
};

}  // namespace kv::ui
