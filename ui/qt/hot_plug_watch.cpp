#include "hot_plug_watch.h"

#include <QSocketNotifier>

#include "monitor_hot_plug_notifier.h"

namespace kv::ui::qt {

HotPlugWatch::HotPlugWatch(MonitorHotPlugNotifier& source) : source_(source) {}

HotPlugWatch::~HotPlugWatch() = default;

bool HotPlugWatch::Watch() {
  if (notifier_) {
    return true;
  }
  const int fd = source_.Waitable();
  if (fd < 0) {
    return false;
  }
  // Events that came before this point are waiting on the descriptor, which
  // stays readable until drained.
  notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { source_.Drain(); });
  return true;
}

}  // namespace kv::ui::qt
