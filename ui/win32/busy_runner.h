// Runs the configurator's library work off the window thread, so the window
// never freezes: each piece of work runs on one worker thread while the
// window thread waits in EventLoop::RunUntil, painting and running timers
// but taking no user input. Waits (pauses) run the same way, on
// kv::GetClock(), so tests on a virtual clock spend no time.
//
// One piece of work at a time, in order, the caller blocked until it is
// done; what the work throws is thrown again on the window thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "event_loop.h"
#include "library_runner.h"
#include "win32.h"

namespace kv::ui::win32 {

// Where long work shows its progress (the sheet's status strip).
class ProgressView {
 public:
  virtual ~ProgressView() = default;
  // `percent` is -1 when the duration is unknown or already overrun.
  virtual void ShowProgress(const std::string& text, int percent) = 0;
  virtual void HideProgress() = 0;
};

class BusyRunner final : public LibraryRunner {
 public:
  // Work that runs at least this long shows its progress; work expected to
  // run longer shows it at once.
  static constexpr std::uint32_t kProgressAfterMs = 1000;

  explicit BusyRunner(EventLoop& loop);
  ~BusyRunner() override;
  BusyRunner(const BusyRunner&) = delete;
  BusyRunner& operator=(const BusyRunner&) = delete;

  void Run(const std::function<void()>& work, const Activity& activity) override;
  // Waits `ms` on kv::GetClock(), without freezing the window.
  void Wait(std::uint32_t ms);

  // True while the window thread waits for work.
  bool Busy() const { return depth_ > 0; }
  void SetProgressView(ProgressView* view) { progress_ = view; }

 private:
  void WorkerLoop();

  EventLoop& loop_;
  // Window thread: waits, taking no user input, until job `number` is done.
  void WaitFor(std::uint64_t number, const std::function<void()>& tick);
  std::uint64_t DoneNumber();

  // Shared with the worker: one job slot. `done_` (manual reset) is set when
  // a job ends and reset when the next is posted.
  std::mutex mutex_;
  std::condition_variable wake_;
  const std::function<void()>* job_ = nullptr;
  std::uint64_t jobNumber_ = 0;
  std::uint64_t doneNumber_ = 0;
  std::map<std::uint64_t, std::exception_ptr> errors_;
  bool stopping_ = false;
  HANDLE done_ = nullptr;

  // Window thread only.
  int depth_ = 0;
  std::uint64_t postedNumber_ = 0;
  ProgressView* progress_ = nullptr;

  std::thread worker_;  // last: starts when everything else exists
};

}  // namespace kv::ui::win32
