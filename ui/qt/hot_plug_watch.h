// The window's event loop watches the hot-plug monitor: a socket notifier on
// the source's descriptor drains each arrival and removal into the sheet,
// without polling. The sheet holds them while other work runs.
#pragma once

#include <memory>

class QSocketNotifier;

namespace kv::ui {
class MonitorHotPlugNotifier;
}

namespace kv::ui::qt {

class HotPlugWatch {
 public:
  explicit HotPlugWatch(MonitorHotPlugNotifier& source);
  ~HotPlugWatch();
  HotPlugWatch(const HotPlugWatch&) = delete;
  HotPlugWatch& operator=(const HotPlugWatch&) = delete;

  // Starts watching once the sheet has started the source; false while the
  // source has no monitor (it failed, and the sheet said so).
  bool Watch();

 private:
  MonitorHotPlugNotifier& source_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace kv::ui::qt
