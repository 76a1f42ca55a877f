#include "interrupt.h"

#include <kv7700/clock.h>

#include <algorithm>
#include <csignal>

namespace kv::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
struct sigaction g_previousInt;
struct sigaction g_previousTerm;

void OnSignal(int) {
  g_interrupted = 1;
}

constexpr std::uint64_t kStepMs = 50;

}  // namespace

InterruptGuard::InterruptGuard() {
  g_interrupted = 0;
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &g_previousInt);
  sigaction(SIGTERM, &action, &g_previousTerm);
}

InterruptGuard::~InterruptGuard() {
  sigaction(SIGINT, &g_previousInt, nullptr);
  sigaction(SIGTERM, &g_previousTerm, nullptr);
}

bool Interrupted() {
  return g_interrupted != 0;
}

bool SleepUnlessInterrupted(std::uint64_t ms) {
  Clock& clock = GetClock();
  const std::uint64_t until = clock.NowMs() + ms;
  while (!Interrupted()) {
    const std::uint64_t now = clock.NowMs();
    if (now >= until) return true;
    clock.SleepMs(static_cast<std::uint32_t>(std::min(until - now, kStepMs)));
  }
  return false;
}

}  // namespace kv::cli
