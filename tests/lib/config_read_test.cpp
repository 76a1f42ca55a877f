// ReadDevCfg against the emulated sensor: the requests on the wire, the
// waits, the decoding and clamping of every edge, and what a read that fails
// part-way leaves behind.
#include <gtest/gtest.h>

#include "lib/sensor_trace.h"
#include "support/library_fixture.h"

namespace kv {
namespace {

using emu::Direction;
using testing::CachedWord;
using testing::RequestBytes;

class ConfigReadTest : public testing::LibraryTest {};

constexpr std::uint8_t kReadOrder[] = {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x8A};

TEST_F(ConfigReadTest, SevenRequestsEachAnswered250MsLater) {
  auto sensor = AddSensor(0x0401);
  sensor->SetDeviceWord(0xBEEF);
  CurrentSlot().SonarDirty = CurrentSlot().WalkAwayDirty = 1;
  CurrentSlot().WalkUpDirty = CurrentSlot().IdleDirty = 1;

  ASSERT_EQ(ReadDevCfg(), 1);

  const auto trace = sensor->TraceCopy();
  ASSERT_EQ(trace.size(), 14u);
  for (std::size_t i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    const emu::TraceEntry& request = trace[2 * i];
    const emu::TraceEntry& response = trace[2 * i + 1];
    EXPECT_EQ(request.direction, Direction::Set);
    EXPECT_EQ(request.bytes, RequestBytes(kReadOrder[i]));
    EXPECT_EQ(response.direction, Direction::Get);
    EXPECT_EQ(response.atMs - request.atMs, 250u);
    if (i > 0) {
      EXPECT_EQ(request.atMs, trace[2 * i - 1].atMs) << "no wait between exchanges";
    }
  }
  EXPECT_EQ(clock.SleptMs(), 7u * 250u);

  const DeviceSlot& slot = CurrentSlot();
  EXPECT_EQ(slot.DevError, 0u);
  EXPECT_EQ(slot.FwVersion, 0x0401);
  EXPECT_EQ(slot.RecordsValid, 1u);
  EXPECT_EQ(slot.SonarDirty | slot.WalkAwayDirty | slot.WalkUpDirty | slot.IdleDirty, 0u);
  // The factory memory, decoded: 50 x 4 ms, 49 and 125 ticks, Ctrl+Alt+Del.
  EXPECT_EQ(slot.Records.Sonar, (tsSonarParms{0, 200, 40, 14, 36, 10, 2, 0}));
  EXPECT_EQ(slot.Records.WalkAway.KeyCountWA, 1);
  EXPECT_EQ(slot.Records.WalkAway.InterKeyDelayWA, 128);
  EXPECT_EQ(slot.Records.WalkAway.Key1ModsWA, 0x05);
  EXPECT_EQ(slot.Records.WalkAway.Key1CodeWA, 0x4C);
}

struct DecodeCase {
  std::size_t block, byte;  // where in the sensor's memory
  std::uint8_t value;
  std::size_t word;  // cached word (0..47) that shows it
  std::uint16_t expected;
};

// Each row changes one byte of a valid memory and reads the whole
// configuration; the clamp runs as part of the read.
const DecodeCase kDecodeCases[] = {
    {0, 0, 0xFF, 0, 0x7F},   // LED flags keep 7 bits
    {0, 1, 40, 1, 200},      // 160 ms clamped
    {0, 1, 51, 1, 204},      //
    {0, 1, 255, 1, 1020},    //
    {0, 2, 0xFF, 2, 0xFF},   // cycle count as is
    {0, 3, 0, 3, 1},         // 0 inches clamped
    {0, 3, 50, 3, 14},       // 14.40 rounds down
    {0, 3, 52, 3, 15},       // 14.976 rounds up
    {0, 3, 54, 3, 16},       // 15.552: just past a half, up
    {0, 4, 57, 4, 16},       // 16.416: short of a half, down
    {0, 3, 208, 3, 59},      // 59.904 gives 60, clamped
    {0, 3, 255, 3, 59},      // 73, clamped
    {0, 4, 50, 4, 15},       // 14, clamped
    {0, 4, 205, 4, 59},      //
    {0, 4, 208, 4, 60},      //
    {0, 4, 255, 4, 60},      // 73, clamped
    {0, 7, 0xFF, 7, 0xFF},   //
    {1, 0, 0x16, 8, 6},      // key count keeps 4 bits
    {1, 0, 0x17, 8, 0},      // 7 keys: cleared
    {1, 1, 0, 9, 64},        // 0 ms clamped
    {1, 1, 1, 9, 64},        //
    {1, 1, 2, 9, 128},       //
    {1, 1, 255, 9, 16320},   //
    {1, 7, 0xE1, 15, 0xE1},  // modifiers as is
    {2, 0, 0xFF, 16, 0xFF},  // Flags0WA: all eight bits
    {2, 1, 0x99, 17, 0x99},  // MinFltRepRate
    {2, 7, 0x65, 23, 0x65},  //
    {3, 0, 0x1F, 24, 0},     // 15 keys: cleared
    {3, 1, 0, 25, 64},       //
    {3, 1, 255, 25, 16320},  //
    {4, 0, 0xFF, 32, 0xFF},  // Flags0WU: all eight bits
    {4, 1, 0xAB, 33, 0xAB},  // Reserved2WU
    {5, 0, 0xFF, 40, 0xFF},  // Reserved1I: all eight bits
    {5, 5, 0xC8, 45, 0xC8},  // dead-man delta stays in ticks
    {5, 7, 0x80, 47, 0x80},  //
};

TEST_F(ConfigReadTest, DecodesAndClampsEveryEdge) {
  auto sensor = AddSensor();
  for (const DecodeCase& c : kDecodeCases) {
    SCOPED_TRACE(::testing::Message()
                 << "block " << c.block << " byte " << c.byte << " = " << int{c.value});
    sensor->Working() = emu::FactoryMemory();
    sensor->Working()[c.block][c.byte] = c.value;
    ASSERT_EQ(ReadDevCfg(), 1);
    EXPECT_EQ(CachedWord(CurrentSlot(), c.word), c.expected);
  }
}

TEST_F(ConfigReadTest, ReservedWordsAreKeptLibraryWideAsReceived) {
  auto first = AddSensor();
  auto second = AddSensor();
  first->Working()[4][1] = 0x11;
  first->Working()[5][0] = 0xF1;
  second->Working()[4][1] = 0x22;
  second->Working()[5][0] = 0xF2;
  ASSERT_EQ(ReadDevCfg(), 1);
  EXPECT_EQ(GetLibState().LastReserved2WU, 0x11);
  EXPECT_EQ(GetLibState().LastReserved1I, 0xF1);
  ASSERT_EQ(SelectDevice(1), 1);
  ASSERT_EQ(ReadDevCfg(), 1);
  EXPECT_EQ(GetLibState().LastReserved2WU, 0x22);
  EXPECT_EQ(GetLibState().LastReserved1I, 0xF2);
}

// A memory in range everywhere, with every byte different from the factory's.
emu::Memory OtherMemory() {
  return emu::Memory{{
      {0x03, 100, 41, 52, 160, 11, 3, 5},
      {0x02, 4, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20},
      {0x01, 7, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09},
      {0x03, 8, 0x02, 0x02, 0x02, 0x00, 0x00, 0x00},
      {0x01, 0x33, 0x1E, 0x1F, 0x20, 0x00, 0x00, 0x00},
      {0x0E, 30, 0x01, 0x2C, 0x03, 12, 60, 9},
  }};
}

// The 48 cached words after a successful read of `memory`.
std::array<std::uint16_t, 48> WordsAfterRead(emu::EmulatedSensor& sensor,
                                             const emu::Memory& memory) {
  sensor.Working() = memory;
  EXPECT_EQ(ReadDevCfg(), 1);
  std::array<std::uint16_t, 48> words{};
  for (std::size_t n = 0; n < words.size(); ++n) words[n] = CachedWord(CurrentSlot(), n);
  return words;
}

TEST_F(ConfigReadTest, AFailureAtAnyExchangeStopsAndKeepsWhatCameBefore) {
  auto sensor = AddSensor(0x0144);
  const auto otherWords = WordsAfterRead(*sensor, OtherMemory());
  const std::uint16_t otherReserved2 = GetLibState().LastReserved2WU;
  const std::uint16_t otherReserved1 = GetLibState().LastReserved1I;

  for (Direction direction : {Direction::Set, Direction::Get}) {
    for (int failing = 1; failing <= 7; ++failing) {
      SCOPED_TRACE(::testing::Message()
                   << (direction == Direction::Set ? "request " : "response ") << failing);
      // A valid, clean cache of the factory memory, then local edits.
      sensor->SetFirmwareVersion(0x0144);
      const auto factoryWords = WordsAfterRead(*sensor, emu::FactoryMemory());
      DeviceSlot& slot = CurrentSlot();
      slot.SonarDirty = slot.WalkAwayDirty = slot.WalkUpDirty = slot.IdleDirty = 1;

      sensor->Working() = OtherMemory();
      sensor->SetFirmwareVersion(0x0150);
      sensor->FailAt(direction, failing);
      sensor->ClearTrace();
      clock.ResetSlept();

      EXPECT_EQ(ReadDevCfg(), 0);
      EXPECT_EQ(slot.DevError, direction == Direction::Set ? 0x20202u : 0x20102u);
      // Nothing after the failing report, nothing retried.
      const std::size_t reports = 2 * failing - (direction == Direction::Set ? 1 : 0);
      EXPECT_EQ(sensor->TraceCopy().size(), reports);
      EXPECT_EQ(clock.SleptMs(), 250u * (failing - (direction == Direction::Set ? 1 : 0)));

      // Exchanges 1..failing-1 landed in the cache; the rest is the old cache.
      for (std::size_t n = 0; n < 48; ++n) {
        const bool arrived = n / 8 < static_cast<std::size_t>(failing - 1);
        EXPECT_EQ(CachedWord(slot, n), arrived ? otherWords[n] : factoryWords[n]) << "word " << n;
      }
      EXPECT_EQ(GetLibState().LastReserved2WU, failing > 5 ? otherReserved2 : 0);
      EXPECT_EQ(GetLibState().LastReserved1I, failing > 6 ? otherReserved1 : 0);
      EXPECT_EQ(slot.RecordsValid, 1u);
      // Only a failing version exchange comes after the records were taken.
      const std::uint32_t dirty = failing == 7 ? 0 : 1;
      EXPECT_EQ(slot.SonarDirty, dirty);
      EXPECT_EQ(slot.WalkAwayDirty, dirty);
      EXPECT_EQ(slot.WalkUpDirty, dirty);
      EXPECT_EQ(slot.IdleDirty, dirty);
      EXPECT_EQ(slot.FwVersion, 0x0144);
    }
  }
}

TEST_F(ConfigReadTest, AFreshSlotBecomesValidOnlyOnceAllRecordsArrived) {
  auto sensor = AddSensor();
  sensor->FailAt(Direction::Get, 6);
  EXPECT_EQ(ReadDevCfg(), 0);
  EXPECT_EQ(CurrentSlot().RecordsValid, 0u);
  tsSonarParms sonar;
  EXPECT_EQ(GetSonarParms(&sonar), 0);

  CurrentSlot() = EmptySlot();
  CurrentSlot().Handle = GetLibState().HidLayer->Open(bus.Paths().front(), nullptr);
  sensor->FailAt(Direction::Get, 7);
  EXPECT_EQ(ReadDevCfg(), 0);
  EXPECT_EQ(CurrentSlot().RecordsValid, 1u);
  EXPECT_EQ(CurrentSlot().FwVersion, 0);
  EXPECT_EQ(GetSonarParms(&sonar), 1);
}

TEST_F(ConfigReadTest, APartialReadNeverLeavesOutOfRangeValuesInTheCache) {
  auto sensor = AddSensor();
  sensor->Working()[0] = emu::Block{0, 10, 40, 0, 255, 0, 0, 0};
  sensor->Working()[1][0] = 0x0F;
  sensor->FailAt(Direction::Get, 3);
  EXPECT_EQ(ReadDevCfg(), 0);
  EXPECT_EQ(CurrentSlot().Records.Sonar.PingRateS, 200);
  EXPECT_EQ(CurrentSlot().Records.Sonar.MinDistS, 1);
  EXPECT_EQ(CurrentSlot().Records.Sonar.MaxDistS, 60);
  EXPECT_EQ(CurrentSlot().Records.WalkAway.KeyCountWA, 0);
}

}  // namespace
}  // namespace kv
