#include "busy_runner.h"

#include <kv7700/clock.h>

namespace kv::ui::win32 {

namespace {

// How often the progress strip is brought up to date while work runs.
constexpr std::uint32_t kProgressTickMs = 100;

}  // namespace

BusyRunner::BusyRunner(EventLoop& loop)
    : loop_(loop),
      done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      worker_([this] { WorkerLoop(); }) {}

BusyRunner::~BusyRunner() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  worker_.join();
  CloseHandle(done_);
}

void BusyRunner::WorkerLoop() {
  for (;;) {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [this] { return stopping_ || job_ != nullptr; });
    if (!job_) {
      return;
    }
    const std::function<void()>* job = job_;
    lock.unlock();
    std::exception_ptr error;
    try {
      (*job)();
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    job_ = nullptr;
    if (error) {
      errors_[jobNumber_] = error;
    }
    doneNumber_ = jobNumber_;
    SetEvent(done_);
  }
}

std::uint64_t BusyRunner::DoneNumber() {
  std::lock_guard<std::mutex> lock(mutex_);
  return doneNumber_;
}

void BusyRunner::WaitFor(std::uint64_t number, const std::function<void()>& tick) {
  while (DoneNumber() < number) {
    loop_.RunUntil(done_, kProgressTickMs, tick);
  }
}

void BusyRunner::Run(const std::function<void()>& work, const Activity& activity) {
  const bool outermost = depth_ == 0;
  ++depth_;
  HCURSOR previous = nullptr;
  if (outermost) {
    previous = SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
  }
  // Work started while other work runs (only from messages the window ran
  // meanwhile) waits its turn: the library is never entered twice at once.
  WaitFor(postedNumber_, {});
  const std::uint64_t number = ++postedNumber_;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    job_ = &work;
    jobNumber_ = number;
    ResetEvent(done_);
  }
  wake_.notify_one();

  const DWORD started = GetTickCount();
  const auto showProgress = [&] {
    const std::uint32_t ms = GetTickCount() - started;
    if (!progress_ || (activity.expectedMs <= kProgressAfterMs && ms < kProgressAfterMs)) {
      return;
    }
    int percent = -1;
    if (activity.expectedMs > 0 && ms < activity.expectedMs) {
      percent = static_cast<int>(static_cast<std::uint64_t>(ms) * 100 / activity.expectedMs);
    }
    progress_->ShowProgress(activity.text && *activity.text ? activity.text : "Working", percent);
  };
  showProgress();
  WaitFor(number, showProgress);

  std::exception_ptr error;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (const auto failed = errors_.find(number); failed != errors_.end()) {
      error = failed->second;
      errors_.erase(failed);
    }
  }
  --depth_;
  if (outermost) {
    SetCursor(previous);
    if (progress_) {
      progress_->HideProgress();
    }
  }
  if (error) {
    std::rethrow_exception(error);
  }
}

void BusyRunner::Wait(std::uint32_t ms) {
  Run([ms] { GetClock().SleepMs(ms); }, {"Waiting for the sensor", ms});
}

}  // namespace kv::ui::win32
