#include "busy_runner.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>

namespace kv::ui::qt {

namespace {

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
    case QEvent::ContextMenu:
      return true;
    default:
      return false;  // releases pass, so nothing stays half-pressed
  }
}

}  // namespace

// Drops input that reaches a widget while work runs. The waiting loop itself
// leaves the window system's input queued; this catches input delivered by
// other means (synthesised events, nested event processing).
class BusyRunner::InputBlocker final : public QObject {
 public:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    return IsUserInput(event->type());
  }
};

BusyRunner::BusyRunner()
    : mailbox_(std::make_unique<QObject>()), blocker_(std::make_unique<InputBlocker>()) {
  // The mailbox lives on the window thread, so every waiting loop looks
  // again there; the ones whose work is not done go back to waiting.
  StartWorker([this] {
    QMetaObject::invokeMethod(
        mailbox_.get(),
        [this] {
          for (QEventLoop* loop : loops_) {
            loop->quit();
          }
        },
        Qt::QueuedConnection);
  });
}

BusyRunner::~BusyRunner() {
  StopWorker();
}

void BusyRunner::BeginBusy() {
  Q_ASSERT(QThread::currentThread() == mailbox_->thread());
  qApp->installEventFilter(blocker_.get());
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void BusyRunner::EndBusy() {
  QGuiApplication::restoreOverrideCursor();
  qApp->removeEventFilter(blocker_.get());
}

void BusyRunner::WaitFor(std::uint64_t number, const std::function<void()>& tick) {
  if (DoneNumber() >= number) {
    return;
  }
  QEventLoop loop;
  loops_.push_back(&loop);
  QTimer ticks;
  if (tick) {
    ticks.setInterval(static_cast<int>(WorkProgress::kTickMs));
    QObject::connect(&ticks, &QTimer::timeout, tick);
    ticks.start();
  }
  while (DoneNumber() < number) {
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  loops_.erase(std::find(loops_.begin(), loops_.end(), &loop));
}

}  // namespace kv::ui::qt
