// Plugs the emulated sensor in and pulls it out through the simulation
// panel's button, as a user would, N times (default 1000), with the
// configurator following every change, and prints what the process holds
// (open descriptors, threads, resident memory) after the first cycles and
// at the end: a leak shows as a number that grows with the cycles. Run by
// scripts/measure-plug-cycles; the sensor's waits run on a virtual clock.
#include <kv7700/clock.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "program.h"
#include "sheet_window.h"
#include "simulation_panel.h"

namespace {

struct Footprint {
  long descriptors = 0;
  long threads = 0;
  long residentKiB = 0;
};

long CountEntries(const char* folder) {
  long count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

Footprint Measure() {
  Footprint footprint;
  footprint.descriptors = CountEntries("/proc/self/fd");
  footprint.threads = CountEntries("/proc/self/task");
  long pages = 0;
  long resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  footprint.residentKiB = resident * 4;
  return footprint;
}

bool Until(const std::function<bool()>& done) {
  const QDeadlineTimer deadline(10000);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  const int cycles = argc > 1 ? std::atoi(argv[1]) : 1000;
  kv::VirtualClock clock;
  kv::SetClock(&clock);
  kv::ui::Options options;
  options.simulate = true;
  options.simulateFiles = {""};
  int status = 0;
  {
    kv::ui::qt::Program session(options);
    if (!session.Prepare(&status)) {
      return status;
    }
    session.Show();
    session.StartNow();
    QPushButton* plug = nullptr;
    for (QPushButton* button : session.Panel()->findChildren<QPushButton*>()) {
      if (button->accessibleName() == QStringLiteral("Sensor 1: plug in or pull out")) {
        plug = button;
      }
    }
    if (!plug) {
      std::fprintf(stderr, "kv7700-measure-plug-cycles: the panel has no plug button\n");
      return 1;
    }
    const auto caption = [&](const char* firmware) {
      return [&session, firmware] {
        return session.Window()->windowTitle() ==
               QStringLiteral("KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW %1")
                   .arg(QLatin1String(firmware));
      };
    };
    Footprint early;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
      plug->click();  // out
      if (!Until(caption("0.00"))) {
        std::fprintf(stderr, "cycle %d: the window did not follow the removal\n", cycle);
        return 1;
      }
      plug->click();  // in again
      if (!Until(caption("4.10"))) {
        std::fprintf(stderr, "cycle %d: the window did not follow the arrival\n", cycle);
        return 1;
      }
      if (cycle == 10) early = Measure();
    }
    const Footprint last = Measure();
    std::printf("%-22s %12s %12s\n", "", "after 10", "after all");
    std::printf("%-22s %12ld %12ld\n", "open descriptors", early.descriptors, last.descriptors);
    std::printf("%-22s %12ld %12ld\n", "threads", early.threads, last.threads);
    std::printf("%-22s %12ld %12ld\n", "resident memory (KiB)", early.residentKiB,
                last.residentKiB);
    std::printf("cycles: %d\n", cycles);
    status = session.Finish();
    if (last.descriptors > early.descriptors || last.threads > early.threads) {
      std::fprintf(stderr, "kv7700-measure-plug-cycles: descriptors or threads leaked\n");
      status = 1;
    }
  }
  kv::SetClock(nullptr);
  return status;
}
