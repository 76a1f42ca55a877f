#include "range_plot.h"

namespace kv::ui {

void RangePlot::SetThresholds(std::optional<std::pair<std::uint16_t, std::uint16_t>> minMax) {
  if (minMax) {
    min_ = minMax->first;
    max_ = minMax->second;
  } else {
    min_.reset();
    max_.reset();
  }
}

void RangePlot::AddReading(std::uint64_t nowMs, const RangeInfo& reading) {
  Add({nowMs, true, reading.Distance, reading.InRange != 0});
}

void RangePlot::AddGap(std::uint64_t nowMs) {
  // One break is enough, however long the readings stay away.
  if (!samples_.empty() && samples_.back().valid) {
    Add({nowMs, false, 0, false});
  }
}

void RangePlot::Add(const RangeSample& sample) {
  // A clock never runs backwards here; a sample that would is taken as now.
  RangeSample kept = sample;
  if (!samples_.empty() && kept.atMs < samples_.back().atMs) {
    kept.atMs = samples_.back().atMs;
  }
  samples_.push_back(kept);
  while (kept.atMs - samples_.front().atMs > kSpanMs) {
    samples_.pop_front();
  }
}

std::optional<RangeSample> RangePlot::Latest() const {
  if (samples_.empty() || !samples_.back().valid) {
    return std::nullopt;
  }
  return samples_.back();
}

std::string RangePlot::StatusText() const {
  switch (state_) {
    case State::NoSensor:
      return "No sensor: plug one in and tick \"Auto GetRange\" on the Misc. page again";
    case State::Halted:
      return "The reading failed: untick and tick \"Auto GetRange\" to read again";
    case State::Idle:
      return "Not reading: tick \"Auto GetRange\" on the Misc. page";
    case State::Reading:
      break;
  }
  if (const std::optional<RangeSample> latest = Latest()) {
    return (latest->inRange ? "InRange: " : "NOT InRange: ") + std::to_string(latest->inches) +
           " inches";
  }
  return "Reading...";
}

}  // namespace kv::ui
