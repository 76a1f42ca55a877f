// The live distance plot's data, free of any toolkit: the readings of the
// last minute, the sonar record's minimum and maximum detection distances,
// and what the readings are doing now. A host's window paints it.
#pragma once

#include <kv7700/records.h>

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace kv::ui {

struct RangeSample {
  std::uint64_t atMs = 0;
  // False for a break in the line: a reading failed or the sensor went.
  bool valid = false;
  std::uint16_t inches = 0;
  bool inRange = false;
  bool operator==(const RangeSample&) const = default;
};

class RangePlot {
 public:
  // How much history the plot shows.
  static constexpr std::uint64_t kSpanMs = 60'000;

  enum class State { Idle, Reading, Halted, NoSensor };

  // The detection distances in inches; nothing when no configuration is
  // loaded.
  void SetThresholds(std::optional<std::pair<std::uint16_t, std::uint16_t>> minMax);
  void SetState(State state) { state_ = state; }

  void AddReading(std::uint64_t nowMs, const RangeInfo& reading);
  // A break in the line at `nowMs`.
  void AddGap(std::uint64_t nowMs);

  // Oldest first; none older than kSpanMs before the newest.
  const std::deque<RangeSample>& Samples() const { return samples_; }
  // The newest sample's time: the right edge of the plot.
  std::uint64_t EndMs() const { return samples_.empty() ? 0 : samples_.back().atMs; }
  std::optional<std::uint16_t> MinInches() const { return min_; }
  std::optional<std::uint16_t> MaxInches() const { return max_; }
  State CurrentState() const { return state_; }
  // The newest valid reading, when the newest sample is one.
  std::optional<RangeSample> Latest() const;

  // One line on what the plot shows now.
  std::string StatusText() const;

 private:
  void Add(const RangeSample& sample);

  std::deque<RangeSample> samples_;
  std::optional<std::uint16_t> min_;
  std::optional<std::uint16_t> max_;
  State state_ = State::Idle;
};

}  // namespace kv::ui
