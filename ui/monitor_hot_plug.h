// A hot-plug source over the library's monitor: the host's event loop
// watches Fd() (a socket notifier in the window) and calls Drain when it is
// readable. No polling, no toolkit.
#pragma once

#include <kv7700/hotplug.h>

#include <functional>
#include <memory>

#include "hot_plug.h"

namespace kv::ui {

class MonitorHotPlugSource final : public HotPlugSource {
 public:
  using Factory = std::function<std::unique_ptr<hid::HotplugMonitor>(int* error)>;
  // The native monitor (udev) unless another factory is given.
  MonitorHotPlugSource();
  explicit MonitorHotPlugSource(Factory factory);

  // Creates the monitor; false with its error number when it cannot.
  bool Start(HotPlugSink& sink, unsigned long* error) override;
  // The descriptor to watch once started, else -1.
  int Fd() const { return monitor_ ? monitor_->Fd() : -1; }
  // Hands every pending event to the sink, oldest first.
  void Drain();

 private:
  Factory factory_;
  std::unique_ptr<hid::HotplugMonitor> monitor_;
  HotPlugSink* sink_ = nullptr;
};

}  // namespace kv::ui
