#include "busy_runner.h"

#include <kv7700/clock.h>

#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>

namespace kv::ui::qt {

namespace {

// How often the progress strip is brought up to date while work runs.
constexpr int kProgressTickMs = 100;

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
    : mailbox_(std::make_unique<QObject>()),
      blocker_(std::make_unique<InputBlocker>()),
      worker_([this] { WorkerLoop(); }) {}

BusyRunner::~BusyRunner() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  worker_.join();
}

void BusyRunner::WorkerLoop() {
  for (;;) {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [this] { return stopping_ || job_ != nullptr; });
    if (!job_) {
      return;  // stopping, nothing left to do
    }
    const std::function<void()>* job = job_;
    const std::uint64_t number = jobNumber_;
    job_ = nullptr;
    lock.unlock();

    std::exception_ptr error;
    try {
      (*job)();
    } catch (...) {
      error = std::current_exception();
    }
    // The mailbox lives on the window thread, so the call runs there. The
    // runner (and the mailbox) outlive the worker, which the destructor joins.
    QMetaObject::invokeMethod(
        mailbox_.get(), [this, number, error] { Finished(number, error); }, Qt::QueuedConnection);
  }
}

void BusyRunner::Finished(std::uint64_t number, const std::exception_ptr& error) {
  doneNumber_ = number;
  if (error) {
    errors_[number] = error;
  }
  // Every waiting loop looks again; the ones whose job is not done go back
  // to waiting.
  for (QEventLoop* loop : loops_) {
    loop->quit();
  }
}

void BusyRunner::WaitFor(std::uint64_t number, QEventLoop& loop) {
  while (doneNumber_ < number) {
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
}

void BusyRunner::Run(const std::function<void()>& work, const Activity& activity) {
  Q_ASSERT(QThread::currentThread() == mailbox_->thread());
  QEventLoop loop;
  const bool outermost = loops_.empty();
  loops_.push_back(&loop);
  if (outermost) {
    qApp->installEventFilter(blocker_.get());
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  }

  // Work started while other work runs (only from events the window took
  // meanwhile) waits its turn: the library is never entered twice at once.
  WaitFor(postedNumber_, loop);
  const std::uint64_t number = ++postedNumber_;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    job_ = &work;
    jobNumber_ = number;
  }
  wake_.notify_one();

  QElapsedTimer elapsed;
  elapsed.start();
  const auto showProgress = [&] {
    const std::uint64_t ms = static_cast<std::uint64_t>(elapsed.elapsed());
    if (!progress_ || (activity.expectedMs <= kProgressAfterMs && ms < kProgressAfterMs)) {
      return;
    }
    int percent = -1;
    if (activity.expectedMs > 0 && ms < activity.expectedMs) {
      percent = static_cast<int>(ms * 100 / activity.expectedMs);
    }
    const std::string text = activity.text && *activity.text ? activity.text : "Working";
    progress_->ShowProgress(text, percent);
  };
  showProgress();
  QTimer progressTicks;
  progressTicks.setInterval(kProgressTickMs);
  QObject::connect(&progressTicks, &QTimer::timeout, showProgress);
  progressTicks.start();
  WaitFor(number, loop);
  progressTicks.stop();

  loops_.pop_back();
  if (outermost) {
    QGuiApplication::restoreOverrideCursor();
    qApp->removeEventFilter(blocker_.get());
    if (progress_) {
      progress_->HideProgress();
    }
  }
  const auto failed = errors_.find(number);
  if (failed != errors_.end()) {
    const std::exception_ptr error = failed->second;
    errors_.erase(failed);
    std::rethrow_exception(error);
  }
}

void BusyRunner::Wait(std::uint32_t ms) {
  Run([ms] { GetClock().SleepMs(ms); }, {"Waiting for the sensor", ms});
}

}  // namespace kv::ui::qt
