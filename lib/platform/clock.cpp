#include <kv7700/clock.h>

#include <chrono>
#include <thread>

namespace kv {

std::uint64_t RealClock::NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void RealClock::SleepMs(std::uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void VirtualClock::SleepMs(std::uint32_t ms) {
  now_ += ms;
  slept_ += ms;
}

namespace {
RealClock g_real_clock;
std::atomic<Clock*> g_clock{&g_real_clock};
}  // namespace

Clock& GetClock() {
  return *g_clock.load();
}

void SetClock(Clock* clock) {
  g_clock = clock ? clock : &g_real_clock;
}

}  // namespace kv
