// A hot-plug notifier over the library's monitor: the host's event loop
// watches Waitable() (a socket notifier in the window) and calls Drain when
// it is ready. No polling, no toolkit.
#pragma once

#include <kv7700/hot_plug.h>

#include <functional>
#include <memory>

#include "hot_plug_notifier.h"

namespace kv::ui {

// What Waitable() gives before the monitor has started.
using hid::kNoWaitObject;

class MonitorHotPlugNotifier final : public HotPlugNotifier {
 public:
  using Factory = std::function<std::unique_ptr<hid::HotPlugMonitor>(int* error)>;
  // The native monitor (udev) unless another factory is given.
  MonitorHotPlugNotifier();
  explicit MonitorHotPlugNotifier(Factory factory);

  // Creates the monitor; false with its error number when it cannot.
  bool Start(HotPlugSink& sink, unsigned long* error) override;
  // The wait object to watch once started (a descriptor; an event handle
  // on Windows), else kNoWaitObject.
  hid::WaitObject Waitable() const;
  // Hands every pending event to the sink, oldest first.
  void Drain();

 private:
  Factory factory_;
  std::unique_ptr<hid::HotPlugMonitor> monitor_;
  HotPlugSink* sink_ = nullptr;
};

}  // namespace kv::ui
