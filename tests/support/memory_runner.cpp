#include "memory_runner.h"

#include <utility>

namespace kv::ui {

MemoryRunner::MemoryRunner() {
  StartWorker([this] {
    std::lock_guard<std::mutex> lock(mutex_);
    ++finished_;
    wake_.notify_all();
  });
}

MemoryRunner::~MemoryRunner() {
  StopWorker();
}

void MemoryRunner::PostToWindow(std::function<void()> call) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    posted_.push_back(std::move(call));
  }
  wake_.notify_all();
}

void MemoryRunner::WaitFor(std::uint64_t number, const std::function<void()>& tick) {
  const bool forNewWork = std::exchange(workPosted_, false);
  if (!forNewWork && DoneNumber() >= number) {
    return;
  }
  for (;;) {
    std::uint64_t seen = 0;
    std::function<void()> call;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      seen = finished_;
      if (!posted_.empty()) {
        call = std::move(posted_.front());
        posted_.pop_front();
      }
    }
    if (call) {
      call();
      if (tick) {
        tick();
      }
      continue;
    }
    // Not under mutex_: the worker holds the slot's lock when it tells.
    if (DoneNumber() >= number) {
      return;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [&] { return !posted_.empty() || finished_ != seen; });
  }
}

}  // namespace kv::ui
