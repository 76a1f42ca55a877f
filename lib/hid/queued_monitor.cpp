// A hot-plug monitor fed by hand: events wait in a queue, and a wake signal
// makes them visible to the same waiting code as the system's monitor.
#include <kv7700/hot_plug.h>

#include <mutex>

#include "platform/wake_signal.h"

namespace kv::hid {

namespace {

class SignalledMonitor final : public QueuedHotPlugMonitor {
 public:
  explicit SignalledMonitor(std::unique_ptr<WakeSignal> signal) : signal_(std::move(signal)) {}

  WaitObject Waitable() const override { return signal_->Waitable(); }

  void Post(HotPlugEvent event) override {
    {
      std::lock_guard lock(mutex_);
      pending_.push_back(std::move(event));
    }
    signal_->Raise();
  }

  std::vector<HotPlugEvent> ReadEvents() override {
    // Lower the signal first and take the queue second, so an event posted
    // in between is never stranded behind a lowered signal.
    signal_->Lower();
    std::vector<HotPlugEvent> events;
    std::lock_guard lock(mutex_);
    events.swap(pending_);
    return events;
  }

 private:
  std::unique_ptr<WakeSignal> signal_;
  std::mutex mutex_;
  std::vector<HotPlugEvent> pending_;
};

}  // namespace

std::unique_ptr<QueuedHotPlugMonitor> CreateQueuedHotPlugMonitor(int* error) {
  std::unique_ptr<WakeSignal> signal = WakeSignal::Create(error);
  if (!signal) return nullptr;
  return std::make_unique<SignalledMonitor>(std::move(signal));
}

}  // namespace kv::hid
