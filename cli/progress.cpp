#include "progress.h"

#include <kv7700/clock.h>

#include <algorithm>
#include <cstdio>

namespace kv::cli {

namespace {
constexpr std::uint64_t kShowAfterMs = 1000;
constexpr std::uint32_t kSliceMs = 100;
}  // namespace

Progress& Progress::Instance() {
  static Progress progress;
  return progress;
}

void Progress::Begin(const std::string& label) {
  Clear();
  active_ = true;
  shown_ = false;
  label_ = label;
  expected_ = 0;
  reports_ = 0;
  startMs_ = GetClock().NowMs();
}

void Progress::End() {
  Clear();
  active_ = false;
}

void Progress::OnReports(std::uint32_t done, std::uint32_t expected) {
  reports_ = done;
  expected_ = expected;
  Tick();
}

void Progress::Tick() {
  if (!enabled_ || !active_) return;
  if (GetClock().NowMs() - startMs_ < kShowAfterMs) return;
  Draw();
}

void Progress::PrintLine(const std::string& line) {
  const bool wasShown = shown_;
  Clear();
  std::fprintf(stderr, "%s\n", line.c_str());
  if (wasShown) Draw();
  std::fflush(stderr);
}

void Progress::Draw() {
  const double seconds = static_cast<double>(GetClock().NowMs() - startMs_) / 1000.0;
  std::string text = label_ + "... ";
  if (expected_ > 0) {
    constexpr int kWidth = 20;
    const int done =
        static_cast<int>(std::min<std::uint32_t>(kWidth, reports_ * kWidth / expected_));
    text.append("[").append(done, '#').append(kWidth - done, ' ').append("] ");
  }
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, "%.1f s", seconds);
  if (expected_ == 0 && reports_ > 0) text += std::to_string(reports_) + " reports, ";
  text += elapsed;
  if (shown_ && text == drawn_) return;
  std::fprintf(stderr, "\r\033[K%s", text.c_str());
  std::fflush(stderr);
  drawn_ = text;
  shown_ = true;
}

void Progress::Clear() {
  if (!shown_) return;
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
  shown_ = false;
}

void ProgressClock::SleepMs(std::uint32_t ms) {
  while (ms > 0) {
    const std::uint32_t slice = std::min(ms, kSliceMs);
    base_.SleepMs(slice);
    ms -= slice;
    Progress::Instance().Tick();
  }
}

namespace {
constexpr std::uint64_t kStepMs = 50;
}  // namespace

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
