// The Sonar page's arithmetic at its limits. Every expected value is worked
// out by hand: 3.472 ticks an inch, inches to ticks rounded down, ticks to
// inches rounded up, each cut to a byte.
#include "sonar_rules.h"

#include <gtest/gtest.h>

namespace kv::ui::sonar {
namespace {

TEST(SonarRulesTest, DistancesKeepTheMinimumBelowTheMaximumAndTheMaximumAtMost60) {
  const struct {
    std::uint32_t minEdit, maxEdit;
    Distances corrected;
  } cases[] = {
      {0, 0, {1, 2}},          // no minimum is 1, then the maximum moves above it
      {0, 1, {1, 2}},          // 1 and 1, then as below
      {30, 30, {30, 31}},      // equal: the maximum moves up
      {10, 0, {10, 11}},       // below: the maximum moves up
      {59, 59, {59, 60}},      // up to the ceiling
      {1, 60, {1, 60}},        // the widest range stays
      {14, 60, {14, 60}},      // the factory's minimum
      {59, 60, {59, 60}},      // the narrowest range at the ceiling
      {60, 60, {59, 60}},      // at the ceiling the minimum moves down instead
      {70, 70, {59, 60}},      // above it, too
      {255, 255, {59, 60}},    // the largest byte
      {1, 61, {1, 60}},        // the ceiling
      {20, 255, {20, 60}},     // the ceiling from the largest byte
      {70, 50, {70, 71}},      // left for the library to refuse
      {255, 10, {255, 256}},   // the maximum leaves the byte; the library refuses it
      {276, 296, {20, 40}},    // each edit cut to its low byte: 0x114, 0x128
      {0x100, 0x13C, {1, 60}}  // 0 and 60 once cut
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.minEdit << " / " << c.maxEdit);
    const Distances corrected = CorrectDistances(c.minEdit, c.maxEdit);
    EXPECT_EQ(corrected.min, c.corrected.min);
    EXPECT_EQ(corrected.max, c.corrected.max);
  }
}

TEST(SonarRulesTest, OlderFirmwarePacksTheInRangeDelayHighAndTheOutOfRangeDelayLow) {
  const struct {
    std::uint32_t inRange, outOfRange;
    std::uint16_t packed;
  } packing[] = {
      {0, 0, 0x00},    // both off
      {15, 15, 0xFF},  // both at their largest
      {2, 10, 0x2A},   // in range high, out of range low
      {15, 7, 0xF7},   // the page's 15 after a 20 was typed
      {1, 0, 0x10},    // the lowest bit of the high nibble
      {0, 1, 0x01},    // the lowest bit of the low nibble
      {16, 7, 0x07},   // a nibble each: 16 leaves nothing
      {20, 31, 0x4F},  // 0x14 and 0x1F cut to 4 and 15
  };
  for (const auto& c : packing) {
    SCOPED_TRACE(::testing::Message() << c.inRange << " / " << c.outOfRange);
    EXPECT_EQ(PackDelays(c.inRange, c.outOfRange), c.packed);
  }

  const struct {
    std::uint16_t ordbTm;
    std::uint32_t inRange, outOfRange;
  } unpacking[] = {
      {0x00, 0, 0},      // both off
      {0xFF, 15, 15},    // both at their largest
      {0x2A, 2, 10},     // in range high, out of range low
      {0xF7, 15, 7},     // the high nibble full
      {0x10, 1, 0},      // the lowest bit of the high nibble
      {0x01, 0, 1},      // the lowest bit of the low nibble
      {0x100, 0, 0},     // bits above the low byte are not delays
      {0x1A5, 10, 5},    // ... and with delays beneath them
      {0xFFFF, 15, 15},  // the whole word set
  };
  for (const auto& c : unpacking) {
    SCOPED_TRACE(::testing::Message() << "ORDBTmS " << c.ordbTm);
    EXPECT_EQ(PackedInRange(c.ordbTm), c.inRange);
    EXPECT_EQ(PackedOutOfRange(c.ordbTm), c.outOfRange);
  }
}

TEST(SonarRulesTest, DeadTargetInchesBecomeTicksRoundedDownAndTicksInchesRoundedUp) {
  const struct {
    std::uint32_t inches;
    std::uint16_t ticks;
  } toTicks[] = {
      {0, 0},          // nothing
      {1, 3},          // 3.472
      {10, 34},        // 34.72
      {11, 38},        // 38.192
      {73, 253},       // 253.456, the last that fits a byte
      {74, 0},         // 256.928: 256 cut to a byte
      {75, 4},         // 260.4: 260 cut to a byte
      {125, 178},      // exactly 434: 434 - 256
      {1000, 144},     // exactly 3472: 3472 - 13 x 256
      {65535, 209},    // 227537.52: 227537 - 888 x 256
      {1000000, 128},  // exactly 3472000, 0x34FA80
  };
  for (const auto& c : toTicks) {
    SCOPED_TRACE(::testing::Message() << c.inches << " inches");
    EXPECT_EQ(DeadDeltaTicks(c.inches), c.ticks);
  }

  const struct {
    std::uint16_t ticks;
    std::uint32_t inches;
  } toInches[] = {
      {0, 0},        // nothing
      {1, 1},        // 0.288
      {3, 1},        // 0.864
      {4, 2},        // 1.152
      {34, 10},      // 9.79
      {35, 11},      // 10.08
      {38, 11},      // 10.94
      {255, 74},     // 73.44, the largest tick count a byte keeps
      {433, 125},    // 124.71
      {434, 125},    // exactly 125
      {435, 126},    // 125.29
      {3472, 232},   // exactly 1000: 1000 - 3 x 256
      {3473, 233},   // 1000.29: 1001 - 3 x 256
      {65535, 188},  // 18875.29: 18876 - 73 x 256
  };
  for (const auto& c : toInches) {
    SCOPED_TRACE(::testing::Message() << c.ticks << " ticks");
    EXPECT_EQ(DeadDeltaInches(c.ticks), c.inches);
  }
}

}  // namespace
}  // namespace kv::ui::sonar
