#include "work_progress.h"

#include <kv7700/clock.h>

namespace kv::ui {

void WorkProgress::Begin(const Activity& activity) {
  running_.push_back({activity, GetClock().NowMs()});
  Tick();
}

void WorkProgress::Tick() {
  if (!view_ || running_.empty()) {
    return;
  }
  const Running& work = running_.back();
  const std::uint64_t ms = GetClock().NowMs() - work.startedMs;
  const std::uint32_t expected = work.activity.expectedMs;
  if (expected <= kShowAfterMs && ms < kShowAfterMs) {
    return;
  }
  int percent = -1;
  if (expected > 0 && ms < expected) {
    percent = static_cast<int>(ms * 100 / expected);
  }
  const char* text = work.activity.text;
  view_->ShowProgress(text && *text ? text : "Working", percent);
  showing_ = true;
}

void WorkProgress::End() {
  if (!running_.empty()) {
    running_.pop_back();
  }
  if (running_.empty() && showing_ && view_) {
    view_->StartLinger(kLingerMs);
  }
}

void WorkProgress::LingerOver() {
  if (running_.empty() && showing_ && view_) {
    showing_ = false;
    view_->HideProgress();
  }
}

}  // namespace kv::ui
