// Runs the configurator's library work off the window thread, so the window
// never freezes: each piece of work runs on one worker thread while the
// window thread waits in an event loop that paints and runs timers and
// socket notifiers but takes no user input. Waits (pauses) run the same way,
// on kv::GetClock(), so tests on a virtual clock spend no time.
//
// The logic's guarantees are kept: one piece of work at a time, in order,
// with the caller blocked until it is done. Device notifications and timer
// ticks that arrive meanwhile are held or dropped by the logic's EventGate.
// Input the user gives meanwhile stays queued by the window system and is
// taken after the work, in order, as typed-ahead input is on the original
// platform; input that reaches a widget while the work runs is dropped.
#pragma once

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "library_runner.h"

class QEventLoop;

namespace kv::ui::qt {

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

  BusyRunner();
  ~BusyRunner() override;
  BusyRunner(const BusyRunner&) = delete;
  BusyRunner& operator=(const BusyRunner&) = delete;

  // On the window thread: runs `work` on the worker, waits without
  // freezing, rethrows what `work` threw.
  void Run(const std::function<void()>& work, const Activity& activity) override;
  // Waits `ms` on kv::GetClock(), without freezing the window.
  void Wait(std::uint32_t ms);

  // True while the window thread waits for work: whatever the window runs
  // meanwhile was not started by the logic, and must not start more.
  bool Busy() const { return !loops_.empty(); }
  void SetProgressView(ProgressView* view) { progress_ = view; }

 private:
  class InputBlocker;
  void WorkerLoop();
  // Window thread: the worker finished job `number`.
  void Finished(std::uint64_t number, const std::exception_ptr& error);
  // Window thread: waits, taking no user input, until job `number` is done.
  void WaitFor(std::uint64_t number, QEventLoop& loop);

  // Shared with the worker: one job slot.
  std::mutex mutex_;
  std::condition_variable wake_;
  const std::function<void()>* job_ = nullptr;
  std::uint64_t jobNumber_ = 0;
  bool stopping_ = false;

  // Window thread only.
  std::unique_ptr<QObject> mailbox_;  // where the worker posts "done"
  std::unique_ptr<InputBlocker> blocker_;
  std::vector<QEventLoop*> loops_;  // waiting loops, innermost last
  std::uint64_t postedNumber_ = 0;
  std::uint64_t doneNumber_ = 0;
  std::map<std::uint64_t, std::exception_ptr> errors_;
  ProgressView* progress_ = nullptr;

  std::thread worker_;  // last: starts when everything else exists
};

}  // namespace kv::ui::qt
