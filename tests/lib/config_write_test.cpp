// WriteDevCfg against the emulated sensor: order, commit mask, encodings on
// the wire, waits, a round trip of every field, and failure at every report.
#include <gtest/gtest.h>

#include "lib/sensor_trace.h"
#include "support/library_fixture.h"

namespace kv {
namespace {

using emu::Direction;
using testing::CachedWord;
using testing::Commands;
using testing::DataAfter;
using testing::RequestBytes;
using testing::Sets;

class ConfigWriteTest : public testing::LibraryTest {
 protected:
  // A sensor whose configuration the library has read: a valid, clean cache.
  std::shared_ptr<emu::EmulatedSensor> ReadSensor(std::uint16_t firmware = 0x0144) {
    auto sensor = AddSensor(firmware);
    EXPECT_EQ(ReadDevCfg(), 1);
    sensor->ClearTrace();
    clock.ResetSlept();
    return sensor;
  }
  static void MarkDirty(bool sonar, bool walkAway, bool walkUp, bool idle) {
    DeviceSlot& slot = CurrentSlot();
    slot.SonarDirty = sonar;
    slot.WalkAwayDirty = walkAway;
    slot.WalkUpDirty = walkUp;
    slot.IdleDirty = idle;
  }
  static bool AllDirty() {
    const DeviceSlot& slot = CurrentSlot();
    return slot.SonarDirty && slot.WalkAwayDirty && slot.WalkUpDirty && slot.IdleDirty;
  }
};

struct OrderCase {
  bool sonar, walkAway, walkUp, idle;
  std::vector<std::uint8_t> commands;  // requested, commit included
  std::uint8_t mask;
};

TEST_F(ConfigWriteTest, SendsDirtyRecordsInFixedOrderThenCommit) {
  const OrderCase cases[] = {
      {false, false, false, false, {0x90}, 0x00},
      {true, false, false, false, {0x80, 0x90}, 0x01},
      {false, true, false, false, {0x81, 0x82, 0x90}, 0x06},
      {false, false, true, false, {0x83, 0x84, 0x90}, 0x18},
      {false, false, false, true, {0x85, 0x90}, 0x20},
      {true, false, false, true, {0x80, 0x85, 0x90}, 0x21},
      {true, true, true, true, {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x90}, 0x3F},
  };
  auto sensor = ReadSensor();
  for (const OrderCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mask " << int{c.mask});
    MarkDirty(c.sonar, c.walkAway, c.walkUp, c.idle);
    sensor->ClearTrace();
    clock.ResetSlept();

    ASSERT_EQ(WriteDevCfg(), 1);
    EXPECT_EQ(GetDevError(), 0u);
    EXPECT_EQ(Commands(*sensor), c.commands);
    const auto sets = Sets(*sensor);
    const std::size_t exchanges = c.commands.size() - 1;
    ASSERT_EQ(sets.size(), 2 * exchanges + 1);
    for (std::size_t i = 0; i < exchanges; ++i) {
      EXPECT_EQ(sets[2 * i].bytes, RequestBytes(c.commands[i]));
      EXPECT_LT(sets[2 * i + 1].bytes[1], 0x80) << "a data report must not look like a command";
      EXPECT_EQ(sets[2 * i + 1].atMs - sets[2 * i].atMs, 250u);
    }
    EXPECT_EQ(sets.back().bytes, RequestBytes(0x90, c.mask));
    EXPECT_EQ(clock.SleptMs(), 250u * exchanges) << "no wait after the commit";
    EXPECT_FALSE(AllDirty() || CurrentSlot().SonarDirty || CurrentSlot().IdleDirty);
    EXPECT_TRUE(sensor->TraceCopy().size() == sets.size()) << "a write fetches nothing";
  }
}

struct EncodeCase {
  const char* what;
  std::size_t word;  // cached word (0..47)
  std::uint16_t value;
  std::uint8_t command;
  std::size_t byte;  // report byte 1..8
  std::uint8_t sent;
};

const EncodeCase kEncodeCases[] = {
    {"LEDFlagsS masked", 0, 0xFF, 0x80, 1, 0x7F},
    {"PingRateS 1020", 1, 1020, 0x80, 2, 255},
    {"PingRateS 203 truncates", 1, 203, 0x80, 2, 50},
    {"PingRateS 200", 1, 200, 0x80, 2, 50},
    {"MinDistS 1", 3, 1, 0x80, 4, 3},
    {"MinDistS 14", 3, 14, 0x80, 4, 49},
    {"MinDistS 15", 3, 15, 0x80, 4, 52},
    {"MinDistS 59", 3, 59, 0x80, 4, 205},
    // Ticks just past a half round up, just short of one round down.
    {"MinDistS 16: 55.56 ticks", 3, 16, 0x80, 4, 56},
    {"MinDistS 33: 114.58 ticks", 3, 33, 0x80, 4, 115},
    {"MaxDistS 35: 121.53 ticks", 4, 35, 0x80, 5, 122},
    {"MaxDistS 52: 180.56 ticks", 4, 52, 0x80, 5, 181},
    {"MaxDistS 56: 194.44 ticks", 4, 56, 0x80, 5, 194},
    // 3.472222 ticks per inch, a hair under 125/36: the inches where the
    // exact ratio gives a half (62.5, 187.5) fall just short of it.
    {"MinDistS 18: 62.499996 ticks", 3, 18, 0x80, 4, 62},
    {"MaxDistS 54: 187.499988 ticks", 4, 54, 0x80, 5, 187},
    {"MaxDistS 15", 4, 15, 0x80, 5, 52},
    {"MaxDistS 60", 4, 60, 0x80, 5, 208},
    {"StartDlyS low byte", 7, 0x1234, 0x80, 8, 0x34},
    {"KeyCountWA 6", 8, 6, 0x81, 1, 6},
    {"InterKeyDelayWA 16320", 9, 16320, 0x81, 2, 255},
    {"InterKeyDelayWA 100 truncates", 9, 100, 0x81, 2, 1},
    {"Key6ModsWA", 15, 0xE2, 0x81, 8, 0xE2},
    {"Flags0WA masked", 16, 0x1F, 0x82, 1, 0x0F},
    {"MinFltRepRate", 17, 0xFE, 0x82, 2, 0xFE},
    {"Key6CodeWA", 23, 0x4C, 0x82, 8, 0x4C},
    {"InterKeyDelayWU 16320", 25, 16320, 0x83, 2, 255},
    {"InterKeyDelayWU 64", 25, 64, 0x83, 2, 1},
    {"Flags0WU masked", 32, 0xF1, 0x84, 1, 0x01},
    {"Reserved2WU not from the cache", 33, 7, 0x84, 2, 0x5A},
    {"Reserved1I not from the cache", 40, 0x07, 0x85, 1, 0x0C},
    {"FlagsI as is", 44, 0xFF, 0x85, 5, 0xFF},
    {"DMTODeltaI in ticks", 45, 200, 0x85, 6, 200},
};

TEST_F(ConfigWriteTest, EncodesEachFieldOnTheWire) {
  auto sensor = ReadSensor();
  GetLibState().LastReserved2WU = 0x5A;
  GetLibState().LastReserved1I = 0xAC;  // sent with its high bits masked
  DeviceSlot baseline = CurrentSlot();
  for (const EncodeCase& c : kEncodeCases) {
    SCOPED_TRACE(c.what);
    DeviceSlot edited = baseline;
    CachedWord(edited, c.word) = c.value;
    ASSERT_EQ(SetSonarParms(&edited.Records.Sonar), 1);
    ASSERT_EQ(SetWalkAwayParms(&edited.Records.WalkAway), 1);
    ASSERT_EQ(SetWalkUpParms(&edited.Records.WalkUp), 1);
    ASSERT_EQ(SetIdleParms(&edited.Records.Idle), 1);
    sensor->ClearTrace();

    ASSERT_EQ(WriteDevCfg(), 1);
    const auto data = DataAfter(*sensor, c.command);
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ((*data)[0], 0) << "report id";
    EXPECT_EQ(int{(*data)[c.byte]}, int{c.sent});
  }
}

TEST_F(ConfigWriteTest, EveryFieldRoundTripsThroughTheSensor) {
  auto sensor = ReadSensor();
  GetLibState().LastReserved2WU = 0x44;
  GetLibState().LastReserved1I = 0x3B;
  const tsSonarParms sonar{0xFF, 203, 41, 14, 60, 200, 3, 9};
  const tsWalkAwayParms walkAway{6, 100, 1, 2, 4, 8, 16, 0x1E2, 0x1F, 30, 4, 5, 6, 7, 8, 0x14C};
  const tsWalkUpParms walkUp{2, 16320, 3, 0, 0, 0, 0, 0, 0xFF, 7, 0x1E, 0x1F, 0, 0, 0, 0};
  const tsIdleParms idle{0xFF, 60, 0x02, 0x2C, 3, 17, 250, 0x10A};
  ASSERT_EQ(SetSonarParms(&sonar), 1);
  ASSERT_EQ(SetWalkAwayParms(&walkAway), 1);
  ASSERT_EQ(SetWalkUpParms(&walkUp), 1);
  ASSERT_EQ(SetIdleParms(&idle), 1);
  ASSERT_EQ(WriteDevCfg(), 1);
  ASSERT_EQ(ReadDevCfg(), 1);

  // 7 bits of LED flags, 4 ms and 64 ms steps, whole inches, 4 bits of the
  // written flags, low bytes elsewhere, reserved words from the last read.
  EXPECT_EQ(CurrentSlot().Records.Sonar, (tsSonarParms{0x7F, 200, 41, 14, 60, 200, 3, 9}));
  EXPECT_EQ(CurrentSlot().Records.WalkAway,
            (tsWalkAwayParms{6, 64, 1, 2, 4, 8, 16, 0xE2, 0x0F, 30, 4, 5, 6, 7, 8, 0x4C}));
  EXPECT_EQ(CurrentSlot().Records.WalkUp,
            (tsWalkUpParms{2, 16320, 3, 0, 0, 0, 0, 0, 0x0F, 0x44, 0x1E, 0x1F, 0, 0, 0, 0}));
  EXPECT_EQ(CurrentSlot().Records.Idle, (tsIdleParms{0x0B, 60, 0x02, 0x2C, 3, 17, 250, 0x0A}));
}

TEST_F(ConfigWriteTest, EveryDistanceAndPingRateRoundTrips) {
  auto sensor = ReadSensor();
  for (std::uint16_t inches = kMinDistMin; inches <= kMaxDistMax; ++inches) {
    tsSonarParms sonar = CurrentSlot().Records.Sonar;
    sonar.MinDistS = std::min(inches, kMinDistMax);
    sonar.MaxDistS = std::max(inches, kMaxDistMin);
    sonar.PingRateS = static_cast<std::uint16_t>(200 + 13 * (inches - 1));
    ASSERT_EQ(SetSonarParms(&sonar), 1);
    ASSERT_EQ(WriteDevCfg(), 1);
    ASSERT_EQ(ReadDevCfg(), 1);
    sonar.PingRateS -= sonar.PingRateS % 4;
    EXPECT_EQ(CurrentSlot().Records.Sonar, sonar) << inches << " inches";
  }
}

TEST_F(ConfigWriteTest, AFailureAtAnyReportKeepsEverythingDirtyAndCommitsNothing) {
  constexpr int kReports = 13;  // six requests, six data reports, the commit
  for (emu::Fault fault : {emu::Fault::Refuse, emu::Fault::Vanish}) {
    for (int failing = 1; failing <= kReports; ++failing) {
      SCOPED_TRACE(::testing::Message() << "report " << failing
                                        << (fault == emu::Fault::Vanish ? " vanish" : " refuse"));
      CloseAllDevices();
      auto sensor = ReadSensor();
      const emu::Memory before = sensor->Working();
      tsSonarParms sonar = CurrentSlot().Records.Sonar;
      sonar.MaxDistS = 50;
      tsIdleParms idle = CurrentSlot().Records.Idle;
      idle.PressRateI = 30;
      ASSERT_EQ(SetSonarParms(&sonar), 1);
      ASSERT_EQ(SetIdleParms(&idle), 1);
      MarkDirty(true, true, true, true);
      sensor->FailAt(Direction::Set, failing, fault);

      EXPECT_EQ(WriteDevCfg(), 0);
      EXPECT_EQ(GetDevError(), 0x40202u);
      EXPECT_TRUE(AllDirty());
      const auto sets = Sets(*sensor);
      EXPECT_EQ(sets.size(), static_cast<std::size_t>(failing)) << "stops at the failing report";
      for (std::size_t i = 0; i + 1 < sets.size(); ++i) EXPECT_NE(sets[i].bytes[1], 0x90);
      EXPECT_EQ(sensor->Working(), before) << "nothing committed";

      if (fault == emu::Fault::Vanish) continue;
      sensor->ClearTrace();
      ASSERT_EQ(WriteDevCfg(), 1);
      EXPECT_EQ(Commands(*sensor),
                (std::vector<std::uint8_t>{0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x90}));
      EXPECT_EQ(Sets(*sensor).back().bytes, RequestBytes(0x90, 0x3F));
      ASSERT_EQ(ReadDevCfg(), 1);
      EXPECT_EQ(CurrentSlot().Records.Sonar.MaxDistS, 50);
      EXPECT_EQ(CurrentSlot().Records.Idle.PressRateI, 30);
    }
  }
}

}  // namespace
}  // namespace kv
