// A hot-plug source over the library's monitor: the host's event loop
// watches Fd() (a socket notifier in the window) and calls Drain when it is
// readable. No polling, no toolkit.
#pragma once

#include <kv7700/hotplug.h>

#include <functional>
#include <memory>

#include "hot_plug.h"

namespace kv::ui {

// What Fd() gives before the monitor has started.
#if defined(_WIN32)
inline constexpr hid::WaitObject kNoWaitObject = nullptr;
#else
inline constexpr hid::WaitObject kNoWaitObject = -1;
#endif

class MonitorHotPlugSource final : public HotPlugSource {
 public:
  using Factory = std::function<std::unique_ptr<hid::HotplugMonitor>(int* error)>;
  // The native monitor (udev) unless another factory is given.
  MonitorHotPlugSource();
  explicit MonitorHotPlugSource(Factory factory);

  // Creates the monitor; false with its error number when it cannot.
  bool Start(HotPlugSink& sink, unsigned long* error) override;
  // The wait object to watch once started (a descriptor; an event handle
  // on Windows), else -1 (null on Windows).
  hid::WaitObject Fd() const;
  // Hands every pending event to the sink, oldest first.
  void Drain();

 private:
  Factory factory_;
  std::unique_ptr<hid::HotplugMonitor> monitor_;
  HotPlugSink* sink_ = nullptr;
};

}  // namespace kv::ui
