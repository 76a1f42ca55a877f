#include "hid/emulated/emulated_monitor.h"

namespace kv::emu {

namespace {

class BusMonitor final : public hid::HotPlugMonitor {
 public:
  BusMonitor(EmulatedBus& bus, std::shared_ptr<hid::QueuedHotPlugMonitor> queue)
      : bus_(bus), queue_(std::move(queue)) {
    // The listener shares the queue, so a plug racing the destructor still
    // posts into a live queue.
    bus_.SetPlugListener([queue = queue_](const PlugEvent& event) {
      queue->Post({event.kind == PlugEvent::Kind::Added ? hid::HotPlugEvent::Kind::Added
                                                        : hid::HotPlugEvent::Kind::Removed,
                   event.path});
    });
  }
  BusMonitor(const BusMonitor&) = delete;
  BusMonitor& operator=(const BusMonitor&) = delete;
  ~BusMonitor() override { bus_.SetPlugListener(nullptr); }

  hid::WaitObject Waitable() const override { return queue_->Waitable(); }
  std::vector<hid::HotPlugEvent> ReadEvents() override { return queue_->ReadEvents(); }

 private:
  EmulatedBus& bus_;
  std::shared_ptr<hid::QueuedHotPlugMonitor> queue_;
};

}  // namespace

std::unique_ptr<hid::HotPlugMonitor> MonitorBus(EmulatedBus& bus, int* error) {
  std::shared_ptr<hid::QueuedHotPlugMonitor> queue = hid::CreateQueuedHotPlugMonitor(error);
  if (!queue) return nullptr;
  return std::make_unique<BusMonitor>(bus, std::move(queue));
}

}  // namespace kv::emu
