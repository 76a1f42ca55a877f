#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/wake_signal.h"

namespace kv::hid {

std::unique_ptr<WakeSignal> WakeSignal::Create(int* error) {
  const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (fd < 0) {
    if (error) *error = errno;
    return nullptr;
  }
  if (error) *error = 0;
  return std::unique_ptr<WakeSignal>(new WakeSignal(fd));
}

WakeSignal::~WakeSignal() {
  ::close(object_);
}

void WakeSignal::Raise() {
  const std::uint64_t one = 1;
  // Cannot fail short of a counter overflow; a lost wake-up would only delay
  // the event to the next one.
  [[maybe_unused]] const ssize_t written = ::write(object_, &one, sizeof one);
}

void WakeSignal::Lower() {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t got = ::read(object_, &count, sizeof count);
}

}  // namespace kv::hid
