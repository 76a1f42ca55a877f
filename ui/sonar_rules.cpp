#include "sonar_rules.h"

namespace kv::ui::sonar {

namespace {

// 3.472 ticks per inch, kept as thousandths so the arithmetic is exact.
constexpr std::uint64_t kTicksPerThousandInches = 3472;

}  // namespace

Distances CorrectDistances(std::uint32_t minEdit, std::uint32_t maxEdit) {
  std::uint32_t min = minEdit & 0xFF;
  std::uint32_t max = maxEdit & 0xFF;
  if (min == 0) {
    min = 1;
  }
  if (max > kMaxDistMax) {
    max = kMaxDistMax;
  }
  if (max <= min) {
    if (max == kMaxDistMax) {
      min = kMaxDistMax - 1;
    } else {
      max = min + 1;
    }
  }
  return {static_cast<std::uint16_t>(min), static_cast<std::uint16_t>(max)};
}

std::uint16_t PackDelays(std::uint32_t inRange, std::uint32_t outOfRange) {
  return static_cast<std::uint16_t>(((inRange & kPackedDelayMask) << kPackedInRangeShift) |
                                    (outOfRange & kPackedDelayMask));
}

std::uint32_t PackedInRange(std::uint16_t ordbTm) {
  return (ordbTm >> kPackedInRangeShift) & kPackedDelayMask;
}

std::uint32_t PackedOutOfRange(std::uint16_t ordbTm) {
  return ordbTm & kPackedDelayMask;
}

std::uint16_t DeadDeltaTicks(std::uint32_t inches) {
  return static_cast<std::uint16_t>((inches * kTicksPerThousandInches / 1000) & 0xFF);
}

std::uint32_t DeadDeltaInches(std::uint16_t ticks) {
  const std::uint64_t thousandths = std::uint64_t{ticks} * 1000;
  return static_cast<std::uint32_t>(
      ((thousandths + kTicksPerThousandInches - 1) / kTicksPerThousandInches) & 0xFF);
}

}  // namespace kv::ui::sonar
