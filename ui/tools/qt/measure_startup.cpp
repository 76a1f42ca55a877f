// Starts the configurator as the program does, with N emulated sensors at the
// real sensor's timing, and prints the wall-clock time (milliseconds since
// the epoch) at which the sheet has become usable: every sensor opened and
// read, the pages made, input no longer held off. scripts/bench-sensors
// subtracts the moment it started the process, so loading the program and
// the toolkit counts too.
#include <kv7700/kv7700.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "program.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  const int sensors = argc > 1 ? std::atoi(argv[1]) : 1;
  if (sensors < 1 || sensors > 16) {
    std::fprintf(stderr, "usage: kv7700-measure-startup [sensors 1..16]\n");
    return 2;
  }
  kv::ui::Options options;
  options.simulate = true;
  options.simulateFiles.assign(static_cast<std::size_t>(sensors), "");
  kv::ui::qt::Program session(options);
  int status = 0;
  if (!session.Prepare(&status)) {
    return status;
  }
  session.Show();
  // What Show leaves to the event loop's first turn, run at once so that its
  // end is seen: start-up holds input off until every sensor is read.
  session.StartNow();
  const auto usable = std::chrono::system_clock::now().time_since_epoch();
  // Sensors open, and whether sensor 0's configuration is on the pages.
  const int open = kv::GetDeviceCount();
  const int loaded = session.App().DeviceFw != 0 ? 1 : 0;
  std::printf(
      "%lld %d %d\n",
      static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(usable).count()),
      open, loaded);
  return session.Finish();
}
