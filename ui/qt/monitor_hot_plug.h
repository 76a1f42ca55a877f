// Hot-plug for the window: the library's hot-plug monitor (udev on Linux, or
// the emulated bus's) watched by the event loop through a socket notifier,
// without polling. Each arrival or removal goes to the sheet, which holds it
// while other work runs.
#pragma once

#include <functional>
#include <memory>

#include "hid/hotplug_monitor.h"
#include "hot_plug.h"

class QSocketNotifier;

namespace kv::ui::qt {

class MonitorHotPlugSource final : public HotPlugSource {
 public:
  // Makes the monitor when the sheet starts listening; null with the
  // system's error number in *error when it cannot.
  using MonitorFactory = std::function<std::unique_ptr<hid::HotplugMonitor>(int* error)>;

  explicit MonitorHotPlugSource(MonitorFactory factory);
  ~MonitorHotPlugSource() override;

  bool Start(HotPlugSink& sink, unsigned long* error) override;

  // The monitor of this machine's devices.
  static MonitorFactory Native();

 private:
  void ReadPending();

  MonitorFactory factory_;
  std::unique_ptr<hid::HotplugMonitor> monitor_;
  std::unique_ptr<QSocketNotifier> notifier_;
  HotPlugSink* sink_ = nullptr;
};

}  // namespace kv::ui::qt
