#include <windows.h>

#include "platform/wake_signal.h"

namespace kv::hid {

std::unique_ptr<WakeSignal> WakeSignal::Create(int* error) {
  // Manual reset: the event stays signalled until the queue is taken.
  HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!event) {
    if (error) *error = static_cast<int>(::GetLastError());
    return nullptr;
  }
  if (error) *error = 0;
  return std::unique_ptr<WakeSignal>(new WakeSignal(event));
}

WakeSignal::~WakeSignal() {
  ::CloseHandle(object_);
}

void WakeSignal::Raise() {
  ::SetEvent(object_);
}

void WakeSignal::Lower() {
  ::ResetEvent(object_);
}

}  // namespace kv::hid
