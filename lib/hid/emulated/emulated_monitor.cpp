#include "hid/emulated/emulated_monitor.h"

namespace kv::emu {

namespace {

class BusMonitor final : public hid::HotplugMonitor {
 public:
  BusMonitor(EmulatedBus& bus, std::shared_ptr<hid::QueuedHotplugMonitor> queue)
      : bus_(bus), queue_(std::move(queue)) {
    // The listener shares the queue, so a plug racing the destructor still
    // posts into a live queue.
    bus_.SetPlugListener([queue = queue_](const PlugEvent& event) {
      queue->Post({event.kind == PlugEvent::Kind::Added ? hid::HotplugEvent::Kind::Added
                                                        : hid::HotplugEvent::Kind::Removed,
                   event.path});
    });
  }
  BusMonitor(const BusMonitor&) = delete;
  BusMonitor& operator=(const BusMonitor&) = delete;
  ~BusMonitor() override { bus_.SetPlugListener(nullptr); }

  hid::WaitObject Fd() const override { return queue_->Fd(); }
  std::vector<hid::HotplugEvent> ReadEvents() override { return queue_->ReadEvents(); }

 private:
  EmulatedBus& bus_;
  std::shared_ptr<hid::QueuedHotplugMonitor> queue_;
};

}  // namespace

std::unique_ptr<hid::HotplugMonitor> MonitorBus(EmulatedBus& bus, int* error) {
  std::shared_ptr<hid::QueuedHotplugMonitor> queue = hid::CreateQueuedHotplugMonitor(error);
  if (!queue) return nullptr;
  return std::make_unique<BusMonitor>(bus, std::move(queue));
}

}  // namespace kv::emu
