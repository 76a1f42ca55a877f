// One worker thread that runs one piece of work at a time for the window
// thread. Each piece gets a number; what it throws is kept under that number
// for the window thread to throw again.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace kv::ui {

class WorkerSlot {
 public:
  // `finished` runs on the worker after each piece of work, while
  // DoneNumber already tells it ended and before it can change again.
  explicit WorkerSlot(std::function<void()> finished);
  ~WorkerSlot();
  WorkerSlot(const WorkerSlot&) = delete;
  WorkerSlot& operator=(const WorkerSlot&) = delete;

  // Hands `work` (kept by the caller until it is done) to the worker; the
  // slot must be free (DoneNumber() == PostedNumber()). Its number.
  std::uint64_t Post(const std::function<void()>& work);
  std::uint64_t PostedNumber();
  std::uint64_t DoneNumber();
  // What work `number` threw, once; null when it did not throw.
  std::exception_ptr TakeError(std::uint64_t number);

 private:
  void WorkerLoop();

  std::function<void()> finished_;
  std::mutex mutex_;
  std::condition_variable wake_;
  const std::function<void()>* job_ = nullptr;
  std::uint64_t postedNumber_ = 0;
  std::uint64_t doneNumber_ = 0;
  std::map<std::uint64_t, std::exception_ptr> errors_;
  bool stopping_ = false;
  std::thread worker_;  // last: starts when everything else exists
};

}  // namespace kv::ui
