#include "monitor_hot_plug.h"

#include <QSocketNotifier>

namespace kv::ui::qt {

MonitorHotPlugSource::MonitorHotPlugSource(MonitorFactory factory) : factory_(std::move(factory)) {}

MonitorHotPlugSource::~MonitorHotPlugSource() {
  // The notifier goes before the monitor that owns its descriptor.
  notifier_.reset();
  monitor_.reset();
}

MonitorHotPlugSource::MonitorFactory MonitorHotPlugSource::Native() {
  return [](int* error) { return hid::CreateNativeHotplugMonitor(error); };
}

bool MonitorHotPlugSource::Start(HotPlugSink& sink, unsigned long* error) {
  if (monitor_) {
    sink_ = &sink;
    return true;
  }
  int failure = 0;
  monitor_ = factory_ ? factory_(&failure) : nullptr;
  if (!monitor_) {
    if (error) {
      *error = static_cast<unsigned long>(failure);
    }
    return false;
  }
  sink_ = &sink;
  notifier_ = std::make_unique<QSocketNotifier>(monitor_->Fd(), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { ReadPending(); });
  return true;
}

void MonitorHotPlugSource::ReadPending() {
  // Read even while the sheet is busy: it holds the events until it is done.
  for (const hid::HotplugEvent& event : monitor_->ReadEvents()) {
    if (!sink_) {
      return;
    }
    if (event.kind == hid::HotplugEvent::Kind::Added) {
      sink_->OnDeviceArrival(event.path);
    } else {
      sink_->OnDeviceRemoval(event.path);
    }
  }
}

}  // namespace kv::ui::qt
