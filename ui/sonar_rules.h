// The Sonar page's arithmetic, free of any dialog: the distance corrections,
// the packed delays of older firmware and the dead-target distance, which
// the page shows in inches and the sensor keeps in echo ticks.
#pragma once

#include <kv7700/records.h>
#include <kv7700/sensor_facts.h>

#include <cstdint>

namespace kv::ui::sonar {

// Firmware from kFwSeparateDelays on keeps the two detection delays in
// words of their own (0 to 255); older firmware packs both into ORDBTmS, a
// nibble each (0 to 15).
inline constexpr std::uint32_t kLongDelayMax = 255;
inline constexpr std::uint32_t kPackedDelayMax = 15;
inline constexpr std::uint32_t kStartDelayMax = 255;

struct Distances {
  std::uint16_t min = 0;
  std::uint16_t max = 0;
  bool operator==(const Distances&) const = default;
};

// Keeps the minimum below the maximum and the maximum at most kMaxDistMax,
// from the two edits' values (each cut to its low byte). Does not enforce
// the record's limits: a minimum of 60 or more comes back above 59, and the
// library refuses it.
Distances CorrectDistances(std::uint32_t minEdit, std::uint32_t maxEdit);

// ORDBTmS of older firmware: in-range delay in the high nibble,
// out-of-range delay in the low nibble.
std::uint16_t PackDelays(std::uint32_t inRange, std::uint32_t outOfRange);
std::uint32_t PackedInRange(std::uint16_t ordbTm);
std::uint32_t PackedOutOfRange(std::uint16_t ordbTm);

// The dead-target distance: entered in whole inches, kept as inches x 3.472
// with the fraction dropped, cut to a byte.
std::uint16_t DeadDeltaTicks(std::uint32_t inches);
// What the page shows for a stored delta: the smallest whole number of
// inches not below ticks / 3.472, cut to a byte.
std::uint32_t DeadDeltaInches(std::uint16_t ticks);

}  // namespace kv::ui::sonar
