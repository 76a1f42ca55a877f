// The memory commands, the factory-reset repair, the range query and the
// key-send control against the emulated sensor.
#include <gtest/gtest.h>

#include <functional>

#include "lib/sensor_trace.h"
#include "support/library_fixture.h"

namespace kv {
namespace {

using emu::Direction;
using testing::Commands;
using testing::RequestBytes;
using testing::Sets;

class DeviceCommandTest : public testing::LibraryTest {};

constexpr std::uint8_t kFullRead[] = {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x8A};

std::vector<std::uint8_t> CommandThenRead(std::uint8_t command) {
  std::vector<std::uint8_t> commands{command};
  commands.insert(commands.end(), std::begin(kFullRead), std::end(kFullRead));
  return commands;
}

struct MemoryCase {
  const char* name;
  int (*run)();
  std::uint8_t command;
  // Which memory the sensor's working configuration ends as, and the maximum
  // distance the library reads back from it.
  emu::Memory (*expectedWorking)(const emu::EmulatedSensor::Memories&);
  std::uint16_t maxDist;
};

const MemoryCase kMemoryCases[] = {
    {"factory", &FactoryResetDev, 0xA0, [](const auto& m) { return m.factory; }, 49},
    {"restore", &RestoreUserDefaultsDev, 0xD0, [](const auto& m) { return m.user; }, 46},
    {"save", &SaveUserDefaultsDev, 0xE0, [](const auto& m) { return m.working; }, 43},
};

// Three memories that differ, so the test sees which one the sensor took.
emu::EmulatedSensor::Memories DistinctMemories() {
  emu::EmulatedSensor::Memories memories{emu::FactoryMemory(), emu::FactoryMemory(),
                                         emu::FactoryMemory()};
  memories.working[0][4] = 150;  // 43 inches
  memories.user[0][4] = 160;     // 46 inches
  memories.factory[0][4] = 170;  // 49 inches
  return memories;
}

TEST_F(DeviceCommandTest, MemoryCommandsWait2000MsThenReadBack) {
  for (const MemoryCase& c : kMemoryCases) {
    SCOPED_TRACE(c.name);
    CloseAllDevices();
    auto sensor = AddSensor(0x0144);
    const auto memories = DistinctMemories();
    sensor->SetMemories(memories);
    CurrentSlot().DevError = 0xDEAD;
    clock.ResetSlept();

    ASSERT_EQ(c.run(), 1);
    EXPECT_EQ(GetDevError(), 0u);
    EXPECT_EQ(Commands(*sensor), CommandThenRead(c.command));
    const auto sets = Sets(*sensor);
    EXPECT_EQ(sets[0].bytes, RequestBytes(c.command));
    EXPECT_EQ(sets[1].atMs - sets[0].atMs, 2000u);
    EXPECT_EQ(clock.SleptMs(), 2000u + 7 * 250u);
    const emu::Memory working = c.expectedWorking(memories);
    EXPECT_EQ(sensor->Working(), working);
    tsSonarParms sonar;
    ASSERT_EQ(GetSonarParms(&sonar), 1);
    EXPECT_EQ(sonar.MaxDistS, c.maxDist);
    if (c.command == 0xE0) {
      EXPECT_EQ(sensor->UserDefaults(), memories.working);
    }
  }
}

TEST_F(DeviceCommandTest, ARefusedMemoryCommandNeitherWaitsNorReads) {
  for (const MemoryCase& c : kMemoryCases) {
    SCOPED_TRACE(c.name);
    CloseAllDevices();
    auto sensor = AddSensor(0x0401);
    sensor->FailAt(Direction::Set, 1);
    clock.ResetSlept();
    EXPECT_EQ(c.run(), 0);
    EXPECT_EQ(GetDevError(), 0x80202u);
    EXPECT_EQ(sensor->TraceCopy().size(), 1u);
    EXPECT_EQ(clock.SleptMs(), 0u);
  }
}

TEST_F(DeviceCommandTest, AFailedReadBackFailsTheMemoryCommand) {
  for (const MemoryCase& c : kMemoryCases) {
    SCOPED_TRACE(c.name);
    CloseAllDevices();
    auto sensor = AddSensor(0x0401);
    sensor->FailAt(Direction::Get, 2);
    EXPECT_EQ(c.run(), 0);
    EXPECT_EQ(GetDevError(), 0x20102u);
    EXPECT_EQ(Commands(*sensor), (std::vector<std::uint8_t>{c.command, 0x80, 0x81}));
  }
}

struct RepairCase {
  std::uint16_t firmware;
  bool repaired;
};

TEST_F(DeviceCommandTest, FactoryResetOnFirmware040xClearsTheIdleFlags) {
  const RepairCase cases[] = {{0x0401, true},  {0x0400, true},  {0x040F, true},
                              {0x0144, false}, {0x0410, false}, {0x03FF, false}};
  for (const RepairCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << c.firmware);
    CloseAllDevices();
    auto sensor = AddSensor(c.firmware);
    sensor->FactoryDefaults()[5][4] = 0x03;  // FlagsI as this firmware resets it
    clock.ResetSlept();

    ASSERT_EQ(FactoryResetDev(), 1);
    EXPECT_EQ(GetDevError(), 0u);
    std::vector<std::uint8_t> expected = CommandThenRead(0xA0);
    if (c.repaired) {
      expected.insert(expected.end(), {0x85, 0x90});
      expected.insert(expected.end(), std::begin(kFullRead), std::end(kFullRead));
    }
    EXPECT_EQ(Commands(*sensor), expected);
    EXPECT_EQ(clock.SleptMs(), c.repaired ? 2000u + 1750u + 250u + 1750u : 2000u + 1750u);
    const std::uint16_t flags = c.repaired ? 0 : 3;
    EXPECT_EQ(CurrentSlot().Records.Idle.FlagsI, flags);
    EXPECT_EQ(sensor->Working()[5][4], flags);
    EXPECT_EQ(CurrentSlot().IdleDirty, 0u);
    if (c.repaired) {
      // After the command and the first read: the idle request, its data, the commit.
      const auto sets = Sets(*sensor);
      EXPECT_EQ(sets[8].bytes, RequestBytes(0x85));
      EXPECT_EQ(sets[9].bytes[5], 0) << "FlagsI";
      EXPECT_EQ(sets[10].bytes, RequestBytes(0x90, 0x20));
    }
  }
}

TEST_F(DeviceCommandTest, AFailedRepairFailsTheFactoryReset) {
  struct Case {
    Direction direction;
    int n;
    std::uint32_t devError;
  };
  // Set 9 is the idle write's request; get 8 the first answer of the second read.
  for (const Case& c : {Case{Direction::Set, 9, 0x40202}, Case{Direction::Get, 8, 0x20102}}) {
    CloseAllDevices();
    auto sensor = AddSensor(0x0401);
    sensor->FailAt(c.direction, c.n);
    EXPECT_EQ(FactoryResetDev(), 0);
    EXPECT_EQ(GetDevError(), c.devError);
  }
}

TEST_F(DeviceCommandTest, RangeInfoDecodesDistanceAndStatusBits) {
  struct Case {
    double inches;
    std::uint8_t statusBits;
    RangeInfo expected;
  };
  const Case cases[] = {
      {30, 0x04, {30, 1, 0, 1}},  // 104 ticks, between 14 and 36 inches
      {10, 0x02, {10, 0, 1, 0}},  // nearer than the minimum
      {36, 0x06, {36, 1, 1, 1}},  //
      {80, 0x00, {73, 0, 0, 0}},  // beyond the scale: 255 ticks
  };
  auto sensor = AddSensor();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.inches);
    sensor->SetTarget(c.inches);
    sensor->SetRangeStatusBits(c.statusBits);
    sensor->ClearTrace();
    clock.ResetSlept();
    RangeInfo info{9, 9, 9, 9};
    ASSERT_EQ(GetRangeInfo(&info), 1);
    EXPECT_EQ(info, c.expected);
    EXPECT_EQ(GetDevError(), 0u);
    const auto trace = sensor->TraceCopy();
    ASSERT_EQ(trace.size(), 2u);
    EXPECT_EQ(trace[0].bytes, RequestBytes(0x8F));
    EXPECT_EQ(trace[1].atMs - trace[0].atMs, 250u);
    EXPECT_EQ(clock.SleptMs(), 250u);
  }
}

TEST_F(DeviceCommandTest, AFailedRangeQueryLeavesTheRecord) {
  struct Case {
    Direction direction;
    std::uint32_t devError;
  };
  auto sensor = AddSensor();
  for (const Case& c : {Case{Direction::Set, 0x1000202}, Case{Direction::Get, 0x1000102}}) {
    sensor->FailAt(c.direction, 1);
    RangeInfo info{9, 9, 9, 9};
    EXPECT_EQ(GetRangeInfo(&info), 0);
    EXPECT_EQ(GetDevError(), c.devError);
    EXPECT_EQ(info, (RangeInfo{9, 9, 9, 9}));
  }
  sensor->ClearTrace();
  EXPECT_EQ(GetRangeInfo(nullptr), 0);
  EXPECT_EQ(GetDevError(), kGroupRange);
  EXPECT_TRUE(sensor->TraceCopy().empty()) << "nothing asked without a record to fill";
}

TEST_F(DeviceCommandTest, SendControlHaltsAndResumesKeySendsWithoutWaiting) {
  auto sensor = AddSensor();
  GetLibState().LibError = 0x10007;
  EXPECT_EQ(SendControl(2), 1);
  EXPECT_EQ(GetLibError(), 0u);
  EXPECT_TRUE(sensor->KeySendsHalted());
  EXPECT_EQ(SendControl(0), 1);
  EXPECT_FALSE(sensor->KeySendsHalted());
  const auto sets = Sets(*sensor);
  ASSERT_EQ(sets.size(), 2u);
  EXPECT_EQ(sets[0].bytes, RequestBytes(0xB1));
  EXPECT_EQ(sets[1].bytes, RequestBytes(0xB0));
  EXPECT_EQ(sensor->TraceCopy().size(), 2u) << "no answer fetched";
  EXPECT_EQ(clock.SleptMs(), 0u);
}

}  // namespace
}  // namespace kv
