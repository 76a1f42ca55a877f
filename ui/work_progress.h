// When long library work shows its progress, how far along it is, and how
// long the strip stays after the work: the same in every host. Times come
// from kv::GetClock(), so tests step them on a virtual clock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "library_runner.h"

namespace kv::ui {

// Where long work shows its progress (the sheet's status strip).
class ProgressView {
 public:
  virtual ~ProgressView() = default;
  // `percent` is -1 when the duration is unknown or already overrun.
  virtual void ShowProgress(const std::string& text, int percent) = 0;
  // Hides the strip at once.
  virtual void HideProgress() = 0;
  // Calls WorkProgress::LingerOver in `ms` (again: the latest call counts).
  virtual void StartLinger(std::uint32_t ms) = 0;
};

class WorkProgress {
 public:
  // Work that runs at least this long shows its progress; work expected to
  // run longer shows it at once.
  static constexpr std::uint32_t kShowAfterMs = 1000;
  // How often the host calls Tick while work runs.
  static constexpr std::uint32_t kTickMs = 100;
  // Between work that ends and work that follows at once (the steps of the
  // start-up), the strip stays, so it does not flicker.
  static constexpr std::uint32_t kLingerMs = 300;

  void SetView(ProgressView* view) {
    view_ = view;
    showing_ = false;
  }

  // Work begins (work started while other work waits nests).
  void Begin(const Activity& activity);
  // While work runs: brings the strip up to date.
  void Tick();
  // The innermost work ended.
  void End();
  // The host's linger timer ran out.
  void LingerOver();

 private:
  struct Running {
    Activity activity;
    std::uint64_t startedMs;
  };

  ProgressView* view_ = nullptr;
  std::vector<Running> running_;
  bool showing_ = false;
};

}  // namespace kv::ui
