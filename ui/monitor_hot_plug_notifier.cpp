#include "monitor_hot_plug_notifier.h"

#include <kv7700/native_hid.h>

namespace kv::ui {

MonitorHotPlugNotifier::MonitorHotPlugNotifier()
    : MonitorHotPlugNotifier([](int* error) { return hid::CreateNativeHotPlugMonitor(error); }) {}

MonitorHotPlugNotifier::MonitorHotPlugNotifier(Factory factory) : factory_(std::move(factory)) {}

bool MonitorHotPlugNotifier::Start(HotPlugSink& sink, unsigned long* error) {
  int code = 0;
  monitor_ = factory_ ? factory_(&code) : nullptr;
  if (!monitor_) {
    *error = static_cast<unsigned long>(code);
    return false;
  }
  sink_ = &sink;
  return true;
}

hid::WaitObject MonitorHotPlugNotifier::Waitable() const {
  return monitor_ ? monitor_->Waitable() : kNoWaitObject;
}

void MonitorHotPlugNotifier::Drain() {
  if (!monitor_ || !sink_) {
    return;
  }
  for (const auto& event : monitor_->ReadEvents()) {
    if (event.kind == hid::HotPlugEvent::Kind::Added) {
      sink_->OnDeviceArrival(event.path);
    } else {
      sink_->OnDeviceRemoval(event.path);
    }
  }
}

}  // namespace kv::ui
