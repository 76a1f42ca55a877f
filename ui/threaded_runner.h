// Runs the configurator's library work off the window thread, so the window
// never freezes: each piece of work runs on one worker thread while the
// window thread waits in its host's loop, painting and running timers but
// taking no user input. Waits (pauses) run the same way, on kv::GetClock(),
// so tests on a virtual clock spend no time.
//
// The logic's guarantees are kept: one piece of work at a time, in order,
// with the caller blocked until it is done; what the work throws is thrown
// again on the window thread. Device notifications and timer ticks that
// arrive meanwhile are held or dropped by the logic's EventGate. A host
// supplies the wait, the cursor and the blocking of input.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "library_runner.h"
#include "work_progress.h"
#include "worker_slot.h"

namespace kv::ui {

class ThreadedRunner : public LibraryRunner {
 public:
  ThreadedRunner() = default;
  ~ThreadedRunner() override;
  ThreadedRunner(const ThreadedRunner&) = delete;
  ThreadedRunner& operator=(const ThreadedRunner&) = delete;

  // On the window thread: runs `work` on the worker, waits without
  // freezing, rethrows what `work` threw.
  void Run(const std::function<void()>& work, const Activity& activity) final;
  // Waits `ms` on kv::GetClock(), without freezing the window.
  void Wait(std::uint32_t ms);

  // True while the window thread waits for work: whatever the window runs
  // meanwhile was not started by the logic, and must not start more.
  bool Busy() const override { return depth_ > 0; }
  WorkProgress& Progress() { return progress_; }
  void SetProgressView(ProgressView* view) { progress_.SetView(view); }

 protected:
  // The host's constructor starts the worker; `finished` runs on the worker
  // after each piece of work and wakes the host's wait. The host's
  // destructor stops it, before the host's own parts go.
  void StartWorker(std::function<void()> finished);
  void StopWorker();
  std::uint64_t DoneNumber() { return slot_->DoneNumber(); }

  // The outermost work begins or ends: wait cursor, input held back.
  virtual void BeginBusy() = 0;
  virtual void EndBusy() = 0;
  // Work is about to be handed to the worker.
  virtual void BeforePost() {}
  // Runs the window's events but the user's input until DoneNumber()
  // reaches `number`, calling `tick` (when set) every
  // WorkProgress::kTickMs meanwhile.
  virtual void WaitFor(std::uint64_t number, const std::function<void()>& tick) = 0;

 private:
  std::unique_ptr<WorkerSlot> slot_;
  WorkProgress progress_;
  int depth_ = 0;
};

}  // namespace kv::ui
