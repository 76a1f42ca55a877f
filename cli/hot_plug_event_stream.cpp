#include "hot_plug_event_stream.h"

#include <kv7700/clock.h>
#include <kv7700/native_hid.h>

#include <deque>

#include "console.h"
#include "output.h"
#include "progress.h"
#include "simulation.h"

namespace kv::cli {

namespace {

// Some other HID device: a keyboard that is no sensor.
constexpr std::uint16_t kOtherVendor = 0x046D;
constexpr std::uint16_t kOtherProduct = 0xC31C;
// How long one wait on the monitor lasts before Ctrl-C is looked at again
// (a signal also ends the wait at once).
constexpr int kPollMs = 250;

class MonitorHotPlugEventStream final : public HotPlugEventStream {
 public:
  MonitorHotPlugEventStream(std::unique_ptr<hid::HotPlugMonitor> monitor, Simulation* simulation)
      : monitor_(std::move(monitor)), simulation_(simulation), startMs_(GetClock().NowMs()) {}

  WaitResult Next(hid::HotPlugEvent* out) override {
    while (true) {
      if (!pending_.empty()) {
        *out = pending_.front();
        pending_.pop_front();
        return WaitResult::Event;
      }
      if (Interrupted()) return WaitResult::Interrupted;
      if (simulation_ && next_ < simulation_->Settings().plugScript.size()) {
        if (!RunNextStep()) return WaitResult::Interrupted;
        Take(0);
        continue;
      }
      // On virtual time nothing else can ever come.
      if (simulation_ && simulation_->Settings().virtualTime) {
        Take(0);
        if (pending_.empty()) return WaitResult::Finished;
        continue;
      }
      Take(kPollMs);
    }
  }

 private:
  // Waits for the step's time, then plugs or pulls; false when interrupted.
  bool RunNextStep() {
    const PlugStep step = simulation_->Settings().plugScript[next_++];
    const std::uint64_t now = GetClock().NowMs();
    const std::uint64_t at = startMs_ + step.atMs;
    if (at > now && !SleepUnlessInterrupted(at - now)) return false;
    switch (step.kind) {
      case PlugStep::Kind::PlugSensor:
        simulation_->PlugNewSensor();
        break;
      case PlugStep::Kind::PlugOther:
        simulation_->Sensors().PlugOther(kOtherVendor, kOtherProduct);
        break;
      case PlugStep::Kind::Unplug:
        simulation_->Sensors().PullNewest();
        break;
    }
    return true;
  }

  // Takes pending events, waiting up to `timeoutMs` for the first.
  void Take(int timeoutMs) {
    if (!WaitReady(monitor_->Waitable(), timeoutMs)) return;
    for (hid::HotPlugEvent& event : monitor_->ReadEvents()) pending_.push_back(std::move(event));
  }

  std::unique_ptr<hid::HotPlugMonitor> monitor_;
  Simulation* simulation_;
  std::uint64_t startMs_;
  std::size_t next_ = 0;
  std::deque<hid::HotPlugEvent> pending_;
};

CliError MonitorFailure(int error) {
  return Failure("the hot-plug monitor could not start: " +
                 std::string(error ? ErrorText(error) : "unknown error") + ".");
}

}  // namespace

std::unique_ptr<HotPlugEventStream> MakeSystemHotPlugEventStream() {
  int error = 0;
  std::unique_ptr<hid::HotPlugMonitor> monitor = hid::CreateNativeHotPlugMonitor(&error);
  if (!monitor) throw MonitorFailure(error);
  return std::make_unique<MonitorHotPlugEventStream>(std::move(monitor), nullptr);
}

std::unique_ptr<HotPlugEventStream> MakeSimulatedHotPlugEventStream(Simulation& simulation) {
  int error = 0;
  std::unique_ptr<hid::HotPlugMonitor> monitor = simulation.Sensors().MakeMonitor(&error);
  if (!monitor) throw MonitorFailure(error);
  return std::make_unique<MonitorHotPlugEventStream>(std::move(monitor), &simulation);
}

}  // namespace kv::cli
