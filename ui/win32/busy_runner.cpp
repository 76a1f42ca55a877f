#include "busy_runner.h"

namespace kv::ui::win32 {

BusyRunner::BusyRunner(EventLoop& loop)
    : loop_(loop), done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  StartWorker([this] { SetEvent(done_); });
}

BusyRunner::~BusyRunner() {
  StopWorker();
  CloseHandle(done_);
}

void BusyRunner::BeginBusy() {
  previousCursor_ = SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
}

void BusyRunner::EndBusy() {
  SetCursor(previousCursor_);
}

void BusyRunner::BeforePost() {
  ResetEvent(done_);
}

void BusyRunner::WaitFor(std::uint64_t number, const std::function<void()>& tick) {
  while (DoneNumber() < number) {
    loop_.RunUntil(done_, WorkProgress::kTickMs, tick);
  }
}

}  // namespace kv::ui::win32
