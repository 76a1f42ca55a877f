// A ThreadedRunner whose window thread, while it waits for work, runs only
// what a test posts to it (as a window runs the events it takes meanwhile),
// and ticks the progress once per call it runs. What is posted before a
// piece of work ends runs before its Run returns, however soon the worker
// is done.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "threaded_runner.h"

namespace kv::ui {

class MemoryRunner final : public ThreadedRunner {
 public:
  MemoryRunner();
  ~MemoryRunner() override;
  MemoryRunner(const MemoryRunner&) = delete;
  MemoryRunner& operator=(const MemoryRunner&) = delete;

  // From any thread: runs `call` on the waiting window thread.
  void PostToWindow(std::function<void()> call);
  int BusyBegins() const { return busyBegins_; }
  int BusyEnds() const { return busyEnds_; }

 private:
  void BeginBusy() override { ++busyBegins_; }
  void EndBusy() override { ++busyEnds_; }
  void BeforePost() override { workPosted_ = true; }
  void WaitFor(std::uint64_t number, const std::function<void()>& tick) override;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> posted_;
  std::uint64_t finished_ = 0;  // pieces of work the worker ended
  bool workPosted_ = false;     // the next wait is for work just posted
  int busyBegins_ = 0;
  int busyEnds_ = 0;
};

}  // namespace kv::ui
