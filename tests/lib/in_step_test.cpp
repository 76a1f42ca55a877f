// Several sensors read and written in step: the waits of one sensor for any
// number of them, and a failure anywhere leaves exactly what reading or
// writing one sensor after another would have left.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "hid/emulated/emulated_sensor.h"
#include "support/library_fixture.h"

namespace kv {
namespace {

constexpr int kSensors = 4;
constexpr int kReportsPerRead = 14;  // seven requests, seven answers

// A sensor whose every working byte differs from the other sensors', so a
// record, a version or a reserved word shows which sensor it came from.
std::shared_ptr<emu::EmulatedSensor> DistinctSensor(int index) {
  auto sensor = std::make_shared<emu::EmulatedSensor>(static_cast<std::uint16_t>(0x0400 + index));
  emu::EmulatedSensor::Memories memories = sensor->CopyMemories();
  for (emu::Block& block : memories.working) {
    for (std::size_t i = 0; i < block.size(); ++i) {
      block[i] = static_cast<std::uint8_t>(0x10 * (index + 1) + i);
    }
  }
  sensor->SetMemories(memories);
  return sensor;
}

// Everything a slot shows to the library's callers (not its handle or path,
// which differ from one bus to the next).
auto SlotView(const DeviceSlot& slot) {
  return std::make_tuple(slot.FwVersion, slot.DevError, slot.RecordsValid, slot.SonarDirty,
                         slot.WalkAwayDirty, slot.WalkUpDirty, slot.IdleDirty, slot.Records.Sonar,
                         slot.Records.WalkAway, slot.Records.WalkUp, slot.Records.Idle);
}

struct Outcome {
  int result = 0;
  std::uint32_t libError = 0;
  std::uint16_t reserved2WU = 0;
  std::uint16_t reserved1I = 0;
  std::int16_t current = 0;
  std::vector<decltype(SlotView(DeviceSlot{}))> slots;
  bool operator==(const Outcome&) const = default;
};

Outcome Observe(int result) {
  const LibState& state = GetLibState();
  Outcome outcome{
      result, state.LibError, state.LastReserved2WU, state.LastReserved1I, state.CurrentIndex, {}};
  for (int i = 0; i < state.DeviceCount; ++i) outcome.slots.push_back(SlotView(state.Slots[i]));
  return outcome;
}

// How the sensors were read before they were read in step: one after
// another, stopping at the first failure.
int ReadOneAfterAnother() {
  LibState& state = GetLibState();
  state.LibError = 0;
  EnumerateDevices();
  for (std::int16_t index = 0; index < state.DeviceCount; ++index) {
    SelectDevice(index);
    if (!ReadDevCfg()) {
      state.LibError |= kGroupOpenAll;
      SelectDevice(0);
      return 0;
    }
  }
  SelectDevice(0);
  return 1;
}

class ReadInStepTest : public testing::LibraryTest {
 protected:
  // Plugs kSensors fresh sensors (after pulling out the last set) and makes
  // `failing` fail its `report`-th report; 0 for none.
  void PlugSensors(int failing, int report, emu::Fault fault) {
    CloseAllDevices();
    for (const std::string& path : bus.Paths()) bus.Unplug(path);
    for (int i = 0; i < kSensors; ++i) {
      auto sensor = DistinctSensor(i);
      if (i == failing && report > 0) sensor->FailAtExchange(report, fault);
      bus.PlugSensor(sensor);
    }
  }
};

TEST_F(ReadInStepTest, SixteenSensorsWaitAsLongAsOne) {
  for (int count : {1, 2, 16}) {
    CloseAllDevices();
    for (const std::string& path : bus.Paths()) bus.Unplug(path);
    for (int i = 0; i < count; ++i) bus.PlugSensor(DistinctSensor(i));
    clock.ResetSlept();
    std::uint32_t firmware = 0;
    ASSERT_EQ(OpenAllDevices(&firmware), 1) << count;
    EXPECT_EQ(clock.SleptMs(), 7u * 250u) << count << " sensors";
    EXPECT_EQ(firmware, 0x0400u);
    // Each sensor's own records, not a neighbour's.
    for (int i = 0; i < count; ++i) {
      ASSERT_EQ(SelectDevice(static_cast<std::int16_t>(i)), 1);
      EXPECT_EQ(GetFirmwareVersion(), 0x0400 + i);
      tsWalkUpParms walkUp;
      ASSERT_EQ(GetWalkUpParms(&walkUp), 1);
      EXPECT_EQ(walkUp.Reserved2WU, (0x10 * (i + 1) + 1) & 0xFF) << i;
    }
  }
}

TEST_F(ReadInStepTest, AFailureLeavesWhatReadingOneAfterAnotherWouldHaveLeft) {
  for (int failing = 0; failing < kSensors; ++failing) {
    for (int report = 1; report <= kReportsPerRead; ++report) {
      for (emu::Fault fault : {emu::Fault::Refuse, emu::Fault::Vanish}) {
        const std::string name = "sensor " + std::to_string(failing) + ", report " +
                                 std::to_string(report) +
                                 (fault == emu::Fault::Vanish ? ", vanished" : ", refused");
        PlugSensors(failing, report, fault);
        const Outcome inStep = Observe(OpenAllDevices(nullptr));
        PlugSensors(failing, report, fault);
        const Outcome oneByOne = Observe(ReadOneAfterAnother());
        EXPECT_EQ(inStep.result, 0) << name;
        EXPECT_TRUE(inStep == oneByOne) << name;
      }
    }
  }
}

// A read-back of some sensors: each read in turn, in list order, whatever
// another one does.
TEST_F(ReadInStepTest, AListedReadLeavesWhatReadingEachInTurnWouldHaveLeft) {
  const std::vector<SensorIndex> list = {3, 0, 2};  // sensor 1 is left alone
  const auto readEachInTurn = [&] {
    int read = 1;
    for (SensorIndex index : list) {
      SelectDevice(index);
      read &= ReadDevCfg();
    }
    SelectDevice(1);
    return read;
  };
  for (int failing = -1; failing < kSensors; ++failing) {
    for (int report = 1; report <= kReportsPerRead; ++report) {
      for (emu::Fault fault : {emu::Fault::Refuse, emu::Fault::Vanish}) {
        const std::string name = "sensor " + std::to_string(failing) + ", report " +
                                 std::to_string(report) + ", fault " +
                                 std::to_string(static_cast<int>(fault));
        // The fault falls after the fourteen reports of the read at open.
        const auto prepare = [&] {
          PlugSensors(failing, kReportsPerRead + report, fault);
          ASSERT_EQ(OpenAllDevices(nullptr), 1);
          SelectDevice(1);
        };
        prepare();
        clock.ResetSlept();
        const Outcome inStep =
            Observe(ReadDevCfgOfSensors(list.data(), static_cast<SensorIndex>(list.size())));
        EXPECT_EQ(clock.SleptMs(), 7u * 250u) << name;
        prepare();
        const Outcome eachInTurn = Observe(readEachInTurn());
        EXPECT_EQ(inStep.result, failing == 1 || failing < 0 ? 1 : 0) << name;
        EXPECT_TRUE(inStep == eachInTurn) << name;
      }
    }
  }
  const std::vector<SensorIndex> twice = {0, 0};
  EXPECT_EQ(ReadDevCfgOfSensors(twice.data(), 2), 0);
}

TEST_F(ReadInStepTest, ReservedWordsComeFromTheLastSensorInTableOrder) {
  PlugSensors(-1, 0, emu::Fault::Refuse);
  const Outcome inStep = Observe(OpenAllDevices(nullptr));
  PlugSensors(-1, 0, emu::Fault::Refuse);
  const Outcome oneByOne = Observe(ReadOneAfterAnother());
  EXPECT_EQ(inStep.result, 1);
  EXPECT_TRUE(inStep == oneByOne);
  // Byte 2 of the walk-up codes block and byte 1 of the idle block of the
  // fourth sensor (0x40 + byte index).
  EXPECT_EQ(inStep.reserved2WU, 0x41);
  EXPECT_EQ(inStep.reserved1I, 0x40);
}

// --- Writing in step ----------------------------------------------------------

constexpr int kReportsPerWrite = 13;  // six requests, six data reports, the commit

// What the sensors hold and what the library shows after a write.
struct WriteOutcome {
  int result = 0;
  Outcome library;
  std::vector<emu::Memory> working;
  bool operator==(const WriteOutcome&) const = default;
};

class WriteInStepTest : public ReadInStepTest {
 protected:
  std::vector<std::shared_ptr<emu::EmulatedSensor>> sensors;

  // Plugs and opens kSensors sensors, makes `failing` fail the `report`-th
  // report of the write, and stores a changed copy of every record in each.
  void PrepareWrite(int failing, int report, emu::Fault fault) {
    CloseAllDevices();
    for (const std::string& path : bus.Paths()) bus.Unplug(path);
    sensors.clear();
    for (int i = 0; i < kSensors; ++i) {
      sensors.push_back(DistinctSensor(i));
      bus.PlugSensor(sensors.back());
    }
    ASSERT_EQ(OpenAllDevices(nullptr), 1);
    for (std::int16_t i = 0; i < kSensors; ++i) {
      ASSERT_EQ(SelectDevice(i), 1);
      tsSonarParms sonar;
      tsWalkAwayParms walkAway;
      tsWalkUpParms walkUp;
      tsIdleParms idle;
      ASSERT_TRUE(GetSonarParms(&sonar) && GetWalkAwayParms(&walkAway) && GetWalkUpParms(&walkUp) &&
                  GetIdleParms(&idle));
      sonar.MaxDistS = static_cast<std::uint16_t>(40 + i);
      walkAway.KeyCountWA = 1;
      walkUp.KeyCountWU = 2;
      idle.DMTODeltaI = static_cast<std::uint16_t>(i);
      ASSERT_TRUE(SetSonarParms(&sonar) && SetWalkAwayParms(&walkAway) && SetWalkUpParms(&walkUp) &&
                  SetIdleParms(&idle))
          << GetDevError();
    }
    SelectDevice(2);  // the current sensor is left alone
    if (failing >= 0) sensors[failing]->FailAtExchange(report, fault);
  }

  WriteOutcome Observe(int result) {
    WriteOutcome outcome{result, kv::Observe(result), {}};
    for (const auto& sensor : sensors) outcome.working.push_back(sensor->CopyMemories().working);
    return outcome;
  }

  // Each sensor written by itself, sent back its own reserved words.
  static int WriteOneAfterAnother() {
    LibState& state = GetLibState();
    const std::int16_t current = state.CurrentIndex;
    const auto words = std::make_pair(state.LastReserved2WU, state.LastReserved1I);
    int written = 1;
    for (std::int16_t i = 0; i < kSensors; ++i) {
      SelectDevice(i);
      state.LastReserved2WU = state.Slots[i].ReadReserved2WU;
      state.LastReserved1I = state.Slots[i].ReadReserved1I;
      written &= WriteDevCfg();
    }
    std::tie(state.LastReserved2WU, state.LastReserved1I) = words;
    SelectDevice(current);
    return written;
  }

  static constexpr std::array<std::int16_t, kSensors> kAll = {0, 1, 2, 3};
};

TEST_F(WriteInStepTest, SixteenSensorsWaitAsLongAsOne) {
  for (int count : {1, 16}) {
    CloseAllDevices();
    for (const std::string& path : bus.Paths()) bus.Unplug(path);
    for (int i = 0; i < count; ++i) bus.PlugSensor(DistinctSensor(i));
    ASSERT_EQ(OpenAllDevices(nullptr), 1);
    std::vector<std::int16_t> indices;
    for (std::int16_t i = 0; i < count; ++i) {
      SelectDevice(i);
      tsSonarParms sonar;
      ASSERT_EQ(GetSonarParms(&sonar), 1);
      ASSERT_EQ(SetSonarParms(&sonar), 1);
      tsIdleParms idle;
      ASSERT_EQ(GetIdleParms(&idle), 1);
      ASSERT_EQ(SetIdleParms(&idle), 1);
      indices.push_back(i);
    }
    clock.ResetSlept();
    EXPECT_EQ(WriteDevCfgOfSensors(indices.data(), static_cast<std::int16_t>(count)), 1);
    EXPECT_EQ(clock.SleptMs(), 2u * 250u) << count << " sensors";  // sonar and idle
  }
}

TEST_F(WriteInStepTest, AFailureLeavesWhatWritingOneAfterAnotherWouldHaveLeft) {
  for (int failing = 0; failing < kSensors; ++failing) {
    for (int report = 1; report <= kReportsPerWrite; ++report) {
      for (emu::Fault fault : {emu::Fault::Refuse, emu::Fault::Vanish}) {
        const std::string name = "sensor " + std::to_string(failing) + ", report " +
                                 std::to_string(report) +
                                 (fault == emu::Fault::Vanish ? ", vanished" : ", refused");
        PrepareWrite(failing, report, fault);
        const WriteOutcome inStep = Observe(WriteDevCfgOfSensors(kAll.data(), kSensors));
        PrepareWrite(failing, report, fault);
        const WriteOutcome oneByOne = Observe(WriteOneAfterAnother());
        EXPECT_EQ(inStep.result, 0) << name;
        EXPECT_TRUE(inStep == oneByOne) << name;
        // The failing sensor kept its old configuration, the others took theirs.
        for (int i = 0; i < kSensors; ++i) {
          EXPECT_EQ(inStep.working[i] == DistinctSensor(i)->CopyMemories().working, i == failing)
              << name << ", sensor " << i;
        }
      }
    }
  }
}

TEST_F(WriteInStepTest, AListThatIsNotOpenSensorsEachOnceSendsNothing) {
  PrepareWrite(-1, 0, emu::Fault::Refuse);
  const std::vector<std::vector<std::int16_t>> lists = {{0, 0}, {0, 4}, {-1}, {1, 2, 1}};
  for (const auto& list : lists) {
    for (const auto& sensor : sensors) sensor->ClearTrace();
    EXPECT_EQ(WriteDevCfgOfSensors(list.data(), static_cast<std::int16_t>(list.size())), 0);
    for (const auto& sensor : sensors) EXPECT_TRUE(sensor->Trace().empty());
  }
  EXPECT_EQ(WriteDevCfgOfSensors(nullptr, 1), 0);
  const WriteOutcome written = Observe(WriteDevCfgOfSensors(kAll.data(), kSensors));
  EXPECT_EQ(written.result, 1);
  EXPECT_EQ(written.library.current, 2);
}

TEST_F(WriteInStepTest, EachSensorIsSentBackItsOwnReservedWords) {
  PrepareWrite(-1, 0, emu::Fault::Refuse);
  std::vector<std::pair<std::uint16_t, std::uint16_t>> words;
  for (const DeviceSlot& slot : GetLibState().Slots) {
    words.emplace_back(slot.ReadReserved2WU, slot.ReadReserved1I);
  }
  ASSERT_EQ(WriteDevCfgOfSensors(kAll.data(), kSensors), 1);
  CloseAllDevices();
  ASSERT_EQ(OpenAllDevices(nullptr), 1);  // read back
  // The walk-up word differs from sensor to sensor (the idle word's wire
  // bits are all clear in these sensors).
  for (int i = 0; i < kSensors; ++i) {
    EXPECT_EQ(GetLibState().Slots[i].ReadReserved2WU, words[i].first) << i;
  }
  EXPECT_NE(words[0].first, words[1].first);
}

}  // namespace
}  // namespace kv
