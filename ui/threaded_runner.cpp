#include "threaded_runner.h"

#include <kv7700/clock.h>

namespace kv::ui {

ThreadedRunner::~ThreadedRunner() {
  StopWorker();
}

void ThreadedRunner::StartWorker(std::function<void()> finished) {
  slot_ = std::make_unique<WorkerSlot>(std::move(finished));
}

void ThreadedRunner::StopWorker() {
  slot_.reset();
}

void ThreadedRunner::Run(const std::function<void()>& work, const Activity& activity) {
  const bool outermost = depth_ == 0;
  ++depth_;
  if (outermost) {
    BeginBusy();
  }
  // Work started while other work runs (only from events the window took
  // meanwhile) waits its turn: the library is never entered twice at once.
  WaitFor(slot_->PostedNumber(), {});
  BeforePost();
  const std::uint64_t number = slot_->Post(work);
  progress_.Begin(activity);
  WaitFor(number, [this] { progress_.Tick(); });
  progress_.End();
  --depth_;
  if (outermost) {
    EndBusy();
  }
  if (const std::exception_ptr error = slot_->TakeError(number)) {
    std::rethrow_exception(error);
  }
}

void ThreadedRunner::Wait(std::uint32_t ms) {
  Run([ms] { GetClock().SleepMs(ms); }, {"Waiting for the sensor", ms});
}

}  // namespace kv::ui
