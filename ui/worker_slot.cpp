#include "worker_slot.h"

namespace kv::ui {

WorkerSlot::WorkerSlot(std::function<void()> finished)
    : finished_(std::move(finished)), worker_([this] { WorkerLoop(); }) {}

WorkerSlot::~WorkerSlot() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  worker_.join();
}

std::uint64_t WorkerSlot::Post(const std::function<void()>& work) {
  std::uint64_t number = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    job_ = &work;
    number = ++postedNumber_;
  }
  wake_.notify_one();
  return number;
}

std::uint64_t WorkerSlot::PostedNumber() {
  std::lock_guard<std::mutex> lock(mutex_);
  return postedNumber_;
}

std::uint64_t WorkerSlot::DoneNumber() {
  std::lock_guard<std::mutex> lock(mutex_);
  return doneNumber_;
}

std::exception_ptr WorkerSlot::TakeError(std::uint64_t number) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = errors_.find(number);
  if (found == errors_.end()) {
    return nullptr;
  }
  std::exception_ptr error = found->second;
  errors_.erase(found);
  return error;
}

void WorkerSlot::WorkerLoop() {
  for (;;) {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [this] { return stopping_ || job_ != nullptr; });
    if (!job_) {
      return;  // stopping, nothing left to do
    }
    const std::function<void()>* job = job_;
    const std::uint64_t number = postedNumber_;
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
      errors_[number] = error;
    }
    doneNumber_ = number;
    // Under the lock: a window thread that sees the work done has also been
    // told, so no late notice reaches the wait for the next piece.
    if (finished_) {
      finished_();
    }
  }
}

}  // namespace kv::ui
