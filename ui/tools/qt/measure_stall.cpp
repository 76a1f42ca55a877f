// Measures how long the window's event loop stalls while the configurator
// talks to an emulated sensor with real timing (run by scripts/measure-stall).
// A timer on the window thread ticks every few milliseconds and records the
// largest gap between ticks: first over the start-up (opening and reading the
// sensor, creating the pages), then over one full configuration read, then
// over the same read with the library called on the window thread, as the
// original design does.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

#include "dorvane_app.h"
#include "program.h"
#include "sheet_window.h"

namespace {

constexpr int kTickMs = 2;

// The largest gap between the window thread's timer ticks while it runs.
class StallMeter {
 public:
  StallMeter() {
    timer_.setInterval(kTickMs);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const qint64 now = clock_.elapsed();
      largest_ = std::max(largest_, now - last_);
      last_ = now;
    });
  }
  void Begin() {
    clock_.start();
    last_ = 0;
    largest_ = 0;
    timer_.start();
  }
  // The largest gap, including the one up to now.
  qint64 End() {
    timer_.stop();
    const qint64 now = clock_.elapsed();
    largest_ = std::max(largest_, now - last_);
    return largest_;
  }
  qint64 Elapsed() const { return clock_.elapsed(); }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 largest_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  kv::ui::Options options;
  options.simulate = true;
  options.simulateFiles = {""};
  kv::ui::qt::Program session(options);
  int status = 0;
  if (!session.Prepare(&status)) {
    return status;
  }
  session.Window()->show();
  QApplication::processEvents();

  StallMeter meter;
  meter.Begin();
  session.StartNow();
  const qint64 startupStall = meter.End();
  const qint64 startupMs = meter.Elapsed();

  meter.Begin();
  const int sensors = session.App().RefreshConfigFmDev();
  const qint64 readStall = meter.End();
  const qint64 readMs = meter.Elapsed();

  // The same read with the library on the window thread.
  session.App().SetRunner(nullptr);
  meter.Begin();
  session.App().RefreshConfigFmDev();
  const qint64 blockingStall = meter.End();
  session.App().SetRunner(&session.Runner());

  std::printf("sensors read: %d\n", sensors);
  std::printf("start-up: %lld ms, longest stall of the window's event loop %lld ms\n",
              static_cast<long long>(startupMs), static_cast<long long>(startupStall));
  std::printf("configuration read: %lld ms, longest stall of the window's event loop %lld ms\n",
              static_cast<long long>(readMs), static_cast<long long>(readStall));
  std::printf("the same read on the window thread: longest stall %lld ms\n",
              static_cast<long long>(blockingStall));
  const int finished = session.Finish();
  if (sensors != 1) {
    std::fprintf(stderr, "kv7700-measure-stall: the emulated sensor was not read\n");
    return 1;
  }
  return finished;
}
