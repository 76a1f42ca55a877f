// Ctrl-C for the commands that run until interrupted (range --watch,
// monitor): the signal only sets a flag, and the loop ends cleanly.
#pragma once

#include <cstdint>

namespace kv::cli {

// Catches SIGINT and SIGTERM while alive; restores the previous handlers.
class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;
};

bool Interrupted();
// Waits `ms` on the clock in small steps; false when interrupted meanwhile.
bool SleepUnlessInterrupted(std::uint64_t ms);

}  // namespace kv::cli
