// Work that takes time: progress on standard error for work that lasts more
// than a second, shown only when standard error is a terminal (every wait of
// the library goes through the clock, so a clock wrapper keeps the display
// moving during the sensor's waits, and the library tells how many of its
// operation's reports are done); and Ctrl-C for the commands that run until interrupted (range
// --watch, monitor): the signal only sets a flag, and the loop ends cleanly.
#pragma once

#include <kv7700/clock.h>

#include <cstdint>
#include <string>

#include "console.h"

namespace kv::cli {

class Progress {
 public:
  // The one display of this process.
  static Progress& Instance();

  // Shows progress when `enabled` (standard error is a terminal).
  void Enable(bool enabled) { enabled_ = enabled; }

  // Starts a piece of work.
  void Begin(const std::string& label);
  void End();
  // The library's operation has exchanged `done` of its `expected` reports
  // (`expected` 0 when unknown).
  void OnReports(std::uint32_t done, std::uint32_t expected);
  // Time passed; redraws when the work has lasted a second or more.
  void Tick();

  // Writes a whole line to standard error without tearing the display.
  void PrintLine(const std::string& line);

 private:
  void Draw();
  void Clear();

  bool enabled_ = false;
  bool active_ = false;
  bool shown_ = false;
  std::string label_;
  std::uint32_t expected_ = 0;
  std::uint32_t reports_ = 0;
  std::uint64_t startMs_ = 0;
  std::string drawn_;  // the text on screen, so unchanged text is not redrawn
};

// Begin/End around a scope.
class ProgressScope {
 public:
  explicit ProgressScope(const std::string& label) { Progress::Instance().Begin(label); }
  ~ProgressScope() { Progress::Instance().End(); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;
};

// Forwards to another clock and sleeps in slices, ticking the display between
// them, so long waits show progress.
class ProgressClock final : public Clock {
 public:
  explicit ProgressClock(Clock& base) : base_(base) {}
  std::uint64_t NowMs() override { return base_.NowMs(); }
  void SleepMs(std::uint32_t ms) override;

 private:
  Clock& base_;
};

// --- Ctrl-C ------------------------------------------------------------------

// Waits `ms` on the clock in small steps; false when interrupted meanwhile.
bool SleepUnlessInterrupted(std::uint64_t ms);

}  // namespace kv::cli
