// Range checks of the records (reject and clamp modes) and the Get and Set
// operations on the cache of the current sensor.
#include <gtest/gtest.h>

#include "lib_state.h"

namespace kv {
namespace {

class RecordTest : public ::testing::Test {
 protected:
  void SetUp() override { CloseAllDevices(); }
  void TearDown() override { CloseAllDevices(); }
};

constexpr std::uint16_t kNegative = 0x8000;  // -32768 as a signed word

struct SonarCase {
  std::uint16_t ping, minDist, maxDist;
  std::uint32_t rejectCode;  // 0: accepted
  std::uint16_t clampedPing, clampedMin, clampedMax;
};

// One row per boundary; a row with two bad fields shows that only the first
// is reported, while clamping mends both.
const SonarCase kSonarCases[] = {
    {200, 1, 15, 0, 200, 1, 15},
    {1020, 59, 60, 0, 1020, 59, 60},
    {200, 59, 15, 0, 200, 59, 15},  // minimum above maximum is not a range fault
    {199, 1, 60, kErrPingRate, 200, 1, 60},
    {1021, 1, 60, kErrPingRate, 1020, 1, 60},
    {kNegative, 1, 60, kErrPingRate, 200, 1, 60},
    {150, 0, 60, kErrPingRate, 200, 1, 60},
    {200, 0, 60, kErrMinDist, 200, 1, 60},
    {200, 60, 60, kErrMinDist, 200, 59, 60},
    {200, 0xFFFF, 60, kErrMinDist, 200, 1, 60},
    {200, 1, 14, kErrMaxDist, 200, 1, 15},
    {200, 1, 61, kErrMaxDist, 200, 1, 60},
    {200, 73, 73, kErrMinDist, 200, 59, 60},
};

TEST_F(RecordTest, SonarRejectsFirstBadFieldAndClampsAll) {
  for (const SonarCase& c : kSonarCases) {
    SCOPED_TRACE(::testing::Message() << c.ping << " " << c.minDist << " " << c.maxDist);
    tsSonarParms record{0x7F, c.ping, 40, c.minDist, c.maxDist, 1, 2, 3};
    CurrentSlot() = EmptySlot();

    EXPECT_EQ(SetSonarParms(&record), c.rejectCode == 0);
    EXPECT_EQ(GetDevError(), c.rejectCode ? (kGroupSet | c.rejectCode) : 0u);
    EXPECT_EQ(CurrentSlot().SonarDirty, c.rejectCode == 0 ? 1u : 0u);
    EXPECT_EQ(CurrentSlot().Records.Sonar, c.rejectCode ? tsSonarParms{} : record);

    tsSonarParms clamped = record;
    CurrentSlot().DevError = 0;
    EXPECT_EQ(CheckSonarParms(&clamped, 1), 1);
    EXPECT_EQ(GetDevError(), 0u);
    EXPECT_EQ(clamped,
              (tsSonarParms{0x7F, c.clampedPing, 40, c.clampedMin, c.clampedMax, 1, 2, 3}));
  }
}

struct KeyCase {
  std::uint16_t count, delay;
  int badField;  // 0: accepted, 1: key count, 2: delay
  std::uint16_t clampedCount, clampedDelay;
};

const KeyCase kKeyCases[] = {
    {0, 64, 0, 0, 64},
    {6, 16320, 0, 6, 16320},
    {7, 64, 1, 0, 64},  // too many keys: none,
                        // not six
    {0xFFFF, 64, 1, 0, 64},
    {7, 10, 1, 0, 64},
    {6, 63, 2, 6, 64},
    {6, 10, 2, 6, 64},
    {6, 16321, 2, 6, 16320},
    {6, kNegative, 2, 6, 64},
};

// The walk-away and walk-up records share their checks; only codes differ.
template <class R>
struct KeyTraits;
template <>
struct KeyTraits<tsWalkAwayParms> {
  static constexpr std::uint32_t kCountCode = kErrKeyCountWA, kDelayCode = kErrDelayWA;
  static int Set(const tsWalkAwayParms* r) { return SetWalkAwayParms(r); }
  static int Get(tsWalkAwayParms* r) { return GetWalkAwayParms(r); }
  static int Check(tsWalkAwayParms* r, std::uint32_t clamp) { return CheckWalkAwayParms(r, clamp); }
  static tsWalkAwayParms& Cached() { return CurrentSlot().Records.WalkAway; }
  static std::uint32_t& Dirty() { return CurrentSlot().WalkAwayDirty; }
};
template <>
struct KeyTraits<tsWalkUpParms> {
  static constexpr std::uint32_t kCountCode = kErrKeyCountWU, kDelayCode = kErrDelayWU;
  static int Set(const tsWalkUpParms* r) { return SetWalkUpParms(r); }
  static int Get(tsWalkUpParms* r) { return GetWalkUpParms(r); }
  static int Check(tsWalkUpParms* r, std::uint32_t clamp) { return CheckWalkUpParms(r, clamp); }
  static tsWalkUpParms& Cached() { return CurrentSlot().Records.WalkUp; }
  static std::uint32_t& Dirty() { return CurrentSlot().WalkUpDirty; }
};

template <class R>
class KeyRecordTest : public RecordTest {};
using KeyRecords = ::testing::Types<tsWalkAwayParms, tsWalkUpParms>;
TYPED_TEST_SUITE(KeyRecordTest, KeyRecords);

TYPED_TEST(KeyRecordTest, RejectsFirstBadFieldAndClampsCountToZero) {
  using R = TypeParam;
  using T = KeyTraits<R>;
  for (const KeyCase& c : kKeyCases) {
    SCOPED_TRACE(::testing::Message() << c.count << " " << c.delay);
    R record{};
    for (std::size_t i = 0; i < WordCount<R>(); ++i)
      Word(record, i) = static_cast<std::uint16_t>(0xF0 + i);
    record.*KeyRecord<R>::kCount = c.count;
    record.*KeyRecord<R>::kDelay = c.delay;
    CurrentSlot() = EmptySlot();

    const std::uint32_t code = c.badField == 1   ? T::kCountCode
                               : c.badField == 2 ? T::kDelayCode
                                                 : 0;
    EXPECT_EQ(T::Set(&record), code == 0);
    EXPECT_EQ(GetDevError(), code ? (kGroupSet | code) : 0u);
    EXPECT_EQ(T::Dirty(), code == 0 ? 1u : 0u);
    EXPECT_EQ(T::Cached(), code ? R{} : record);

    R clamped = record;
    EXPECT_EQ(T::Check(&clamped, 1), 1);
    R expected = record;
    expected.*KeyRecord<R>::kCount = c.clampedCount;
    expected.*KeyRecord<R>::kDelay = c.clampedDelay;
    EXPECT_EQ(clamped, expected);
  }
}

TYPED_TEST(KeyRecordTest, GetNeedsARecordReadFromTheSensor) {
  using R = TypeParam;
  using T = KeyTraits<R>;
  R record{};
  record.*KeyRecord<R>::kDelay = 64;
  ASSERT_EQ(T::Set(&record), 1);

  R out{};
  out.*KeyRecord<R>::kCount = 3;
  EXPECT_EQ(T::Get(&out), 0);  // set, but never read
  EXPECT_EQ(GetDevError(), kErrGetNotRead);
  EXPECT_EQ(out.*KeyRecord<R>::kCount, 3);  // nothing written

  CurrentSlot().RecordsValid = 1;
  EXPECT_EQ(T::Get(nullptr), 0);
  EXPECT_EQ(GetDevError(), kErrGetNullPointer);
  EXPECT_EQ(T::Get(&out), 1);
  EXPECT_EQ(GetDevError(), 0u);
  EXPECT_EQ(out, record);
}

TEST_F(RecordTest, SetAndGetOfEveryRecordWithNullPointers) {
  EXPECT_EQ(SetSonarParms(nullptr), 0);
  EXPECT_EQ(GetDevError(), kErrSetNullPointer);
  EXPECT_EQ(SetWalkAwayParms(nullptr), 0);
  EXPECT_EQ(GetDevError(), kErrSetNullPointer);
  EXPECT_EQ(SetWalkUpParms(nullptr), 0);
  EXPECT_EQ(GetDevError(), kErrSetNullPointer);
  EXPECT_EQ(SetIdleParms(nullptr), 0);
  EXPECT_EQ(GetDevError(), kErrSetNullPointer);
  CurrentSlot().RecordsValid = 1;
  EXPECT_EQ(GetSonarParms(nullptr), 0);
  EXPECT_EQ(GetDevError(), kErrGetNullPointer);
  EXPECT_EQ(GetIdleParms(nullptr), 0);
  EXPECT_EQ(GetDevError(), kErrGetNullPointer);
  EXPECT_EQ(CurrentSlot().SonarDirty | CurrentSlot().WalkAwayDirty | CurrentSlot().WalkUpDirty |
                CurrentSlot().IdleDirty,
            0u);
}

TEST_F(RecordTest, IdleAcceptsAnyWordsAndSetNeverValidates) {
  const tsIdleParms idle{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  EXPECT_EQ(SetIdleParms(&idle), 1);
  EXPECT_EQ(GetDevError(), 0u);
  EXPECT_EQ(CurrentSlot().IdleDirty, 1u);
  EXPECT_EQ(CurrentSlot().RecordsValid, 0u);
  tsIdleParms out;
  EXPECT_EQ(GetIdleParms(&out), 0);
  EXPECT_EQ(GetDevError(), kErrGetNotRead);
  CurrentSlot().RecordsValid = 1;
  EXPECT_EQ(GetIdleParms(&out), 1);
  EXPECT_EQ(out, idle);
}

TEST_F(RecordTest, RejectModeCombinesIntoDevErrorAndLeavesTheRecord) {
  tsSonarParms record{0, 199, 0, 0, 0, 0, 0, 0};
  CurrentSlot().DevError = 0x40000;
  EXPECT_EQ(CheckSonarParms(&record, 0), 0);
  EXPECT_EQ(GetDevError(), 0x40000u | kErrPingRate);
  EXPECT_EQ(record.PingRateS, 199);
}

}  // namespace
}  // namespace kv
