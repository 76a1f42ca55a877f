// One clock for every wait the library and the configurator make, so that
// tests can run on virtual time and assert how long the code waited.
#pragma once

#include <atomic>
#include <cstdint>

namespace kv {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary, fixed origin.
  virtual std::uint64_t NowMs() = 0;
  virtual void SleepMs(std::uint32_t ms) = 0;
};

// Wall-clock time; SleepMs really sleeps.
class RealClock final : public Clock {
 public:
  std::uint64_t NowMs() override;
  void SleepMs(std::uint32_t ms) override;
};

// Virtual time: SleepMs advances the clock at once and counts what was slept.
class VirtualClock final : public Clock {
 public:
  std::uint64_t NowMs() override { return now_.load(); }
  void SleepMs(std::uint32_t ms) override;
  void Advance(std::uint64_t ms) { now_ += ms; }
  // Total milliseconds slept through SleepMs since construction or ResetSlept.
  std::uint64_t SleptMs() const { return slept_.load(); }
  void ResetSlept() { slept_ = 0; }

 private:
  std::atomic<std::uint64_t> now_{1'000'000};
  std::atomic<std::uint64_t> slept_{0};
};

// The clock in force; a RealClock unless SetClock installed another.
Clock& GetClock();
// Installs a clock (nullptr restores the real one). The caller keeps ownership.
void SetClock(Clock* clock);

}  // namespace kv
