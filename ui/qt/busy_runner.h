// The Qt side of running library work off the window thread: the window
// thread waits in a QEventLoop that paints and runs timers and socket
// notifiers but takes no user input, under the wait cursor.
//
// Input the user gives meanwhile stays queued by the window system and is
// taken after the work, in order, as typed-ahead input is on the original
// platform; input that reaches a widget while the work runs is dropped.
#pragma once

#include <QObject>
#include <memory>
#include <vector>

#include "threaded_runner.h"

class QEventLoop;

namespace kv::ui::qt {

class BusyRunner final : public ThreadedRunner {
 public:
  BusyRunner();
  ~BusyRunner() override;
  BusyRunner(const BusyRunner&) = delete;
  BusyRunner& operator=(const BusyRunner&) = delete;

 private:
  class InputBlocker;
  void BeginBusy() override;
  void EndBusy() override;
  void WaitFor(std::uint64_t number, const std::function<void()>& tick) override;

  std::unique_ptr<QObject> mailbox_;  // where the worker posts "done"
  std::unique_ptr<InputBlocker> blocker_;
  std::vector<QEventLoop*> loops_;  // waiting loops, innermost last
};

}  // namespace kv::ui::qt
