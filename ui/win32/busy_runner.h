// The Windows side of running library work off the window thread: the window
// thread waits in EventLoop::RunUntil, painting and running timers but
// taking no user input, under the wait cursor.
#pragma once

#include "event_loop.h"
#include "threaded_runner.h"
#include "win32.h"

namespace kv::ui::win32 {

class BusyRunner final : public ThreadedRunner {
 public:
  explicit BusyRunner(EventLoop& loop);
  ~BusyRunner() override;
  BusyRunner(const BusyRunner&) = delete;
  BusyRunner& operator=(const BusyRunner&) = delete;

 private:
  void BeginBusy() override;
  void EndBusy() override;
  void BeforePost() override;
  void WaitFor(std::uint64_t number, const std::function<void()>& tick) override;

  EventLoop& loop_;
  // Manual reset: set when work ends, reset before the next is posted.
  HANDLE done_ = nullptr;
  HCURSOR previousCursor_ = nullptr;
};

}  // namespace kv::ui::win32
