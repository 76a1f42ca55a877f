// What the library tells beside its flat operations: each operation's cost
// and progress, each sensor's last failure, a sensor's info, and what a
// template load took.
#include <gtest/gtest.h>
#include <kv7700/device_info.h>
#include <kv7700/held_sensor.h>
#include <kv7700/last_failure.h>
#include <kv7700/operation_cost.h>
#include <kv7700/template_file.h>

#include <functional>
#include <string>
#include <vector>

#include "lib/template_test_support.h"
#include "support/library_fixture.h"

namespace kv {
namespace {

using emu::Direction;

class LibraryCppSideTest : public testing::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    SetProgressListener([this](const OperationProgress& p) { seen.push_back(p); });
  }
  void TearDown() override {
    SetProgressListener(nullptr);
    LibraryTest::TearDown();
  }
  std::vector<OperationProgress> seen;
};

// Every operation's cost, as told before it ran, against the reports the
// sensors saw and the progress the listener heard.
TEST_F(LibraryCppSideTest, EachOperationCostsWhatItsCostSays) {
  constexpr RecordFlags kSonar = RecordFlags::Only(RecordKind::Sonar);
  constexpr RecordFlags kKeys = {false, true, true, false};
  const struct Case {
    const char* name;
    SensorIndex sensors;
    std::function<OperationCost()> cost;
    std::function<int()> run;
  } cases[] = {
      {"ReadDevCfg", 1, [] { return ReadCost(); }, [] { return ReadDevCfg(); }},
      {"ReadDevCfgOfSensors", 3, [] { return ReadCost(3); },
       [] {
         const SensorIndex all[] = {0, 1, 2};
         return ReadDevCfgOfSensors(all, 3);
       }},
      {"WriteDevCfg", 1,
       [&] {
         CurrentSlot().SonarDirty = 1;
         return WriteCost(kSonar);
       },
       [] { return WriteDevCfg(); }},
      {"WriteDevCfgOfSensors", 2,
       [&] {
         GetLibState().Slots[0].WalkAwayDirty = 1;
         GetLibState().Slots[1].WalkUpDirty = GetLibState().Slots[1].IdleDirty = 1;
         const SensorIndex both[] = {0, 1};
         return WriteCostOfSensors(both, 2);
       },
       [] {
         const SensorIndex both[] = {0, 1};
         return WriteDevCfgOfSensors(both, 2);
       }},
      {"ReadRecordsNow", 1, [&] { return ReadRecordsCost(kKeys); },
       [&] {
         RecordSet records;
         return ReadRecordsNow(kKeys, &records);
       }},
      {"RestoreUserDefaultsDev", 1, [] { return MemoryCommandCost(); },
       [] { return RestoreUserDefaultsDev(); }},
      {"GetRangeInfo", 1, [] { return RangeCost(); },
       [] {
         RangeInfo range;
         return GetRangeInfo(&range);
       }},
      {"SendControl", 1, [] { return ControlCost(); }, [] { return SendControl(1); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CloseAllDevices();
    std::vector<std::shared_ptr<emu::EmulatedSensor>> sensors;
    for (SensorIndex n = 0; n < c.sensors; ++n) sensors.push_back(AddSensor(0x0401));
    const OperationCost cost = c.cost();
    seen.clear();
    clock.ResetSlept();

    ASSERT_EQ(c.run(), 1);
    std::size_t reports = 0;
    for (const auto& sensor : sensors) reports += sensor->TraceCopy().size();
    EXPECT_EQ(cost.reports, reports);
    EXPECT_EQ(cost.ms, clock.SleptMs());
    ASSERT_EQ(seen.size(), reports);
    EXPECT_EQ(std::string(seen.back().operation), c.name);
    EXPECT_EQ(seen.back().reportsDone, cost.reports);
    EXPECT_EQ(seen.back().reportsExpected, cost.reports);
  }
}

TEST_F(LibraryCppSideTest, DiscoveryExpectsTheReadsOfTheSensorsItFound) {
  bus.PlugSensor(std::make_shared<emu::EmulatedSensor>(0x0144));
  bus.PlugSensor(std::make_shared<emu::EmulatedSensor>(0x0144));
  ASSERT_EQ(OpenAllDevices(nullptr), 1);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(std::string(seen.back().operation), "OpenAllDevices");
  EXPECT_EQ(seen.back().reportsDone, ReadCost(2).reports);
  EXPECT_EQ(seen.front().reportsExpected, ReadCost(2).reports);
}

TEST_F(LibraryCppSideTest, AFailureIsKeptPerSensorUntilItsNextOperationSucceeds) {
  auto first = AddSensor();
  auto second = AddSensor();
  first->FailAt(Direction::Get, 1);
  ASSERT_EQ(ReadDevCfg(), 0);

  const LastFailure failure = GetLastFailure(0);
  EXPECT_EQ(failure.operation, "ReadDevCfg");
  EXPECT_EQ(failure.status, kGroupRead | kErrGetFailed);
  EXPECT_NE(failure.reason.find("did not answer"), std::string::npos) << failure.reason;
  EXPECT_NE(failure.advice.find("plugged in"), std::string::npos) << failure.advice;
  EXPECT_FALSE(GetLastFailure(1).Failed()) << "the other sensor's is its own";

  ASSERT_EQ(SelectDevice(1), 1);
  ASSERT_EQ(ReadDevCfg(), 1);
  EXPECT_EQ(GetLastFailure(0), failure) << "read after any operation";
  tsSonarParms sonar;
  ASSERT_EQ(SelectDevice(0), 1);
  EXPECT_EQ(GetSonarParms(&sonar), 0);
  EXPECT_EQ(GetLastFailure(), failure) << "a query leaves it";
  ASSERT_EQ(ReadDevCfg(), 1);
  EXPECT_FALSE(GetLastFailure().Failed());
}

// Each operation that talks to the sensor notes its own failure, with the
// status word it left and words for it.
TEST_F(LibraryCppSideTest, EveryOperationOnTheSensorNotesItsFailure) {
  const struct Case {
    const char* operation;
    Direction failing;
    std::uint32_t status;
    std::function<int()> run;
  } cases[] = {
      {"ReadDevCfgOfSensors", Direction::Get, kGroupRead | kErrGetFailed,
       [] {
         const SensorIndex one[] = {0};
         return ReadDevCfgOfSensors(one, 1);
       }},
      {"WriteDevCfg", Direction::Set, kGroupWrite | kErrSetFailed,
       [] {
         CurrentSlot().SonarDirty = 1;
         return WriteDevCfg();
       }},
      {"WriteDevCfgOfSensors", Direction::Set, kGroupWrite | kErrSetFailed,
       [] {
         CurrentSlot().IdleDirty = 1;
         const SensorIndex one[] = {0};
         return WriteDevCfgOfSensors(one, 1);
       }},
      {"FactoryResetDev", Direction::Set, kGroupMemoryCommand | kErrSetFailed,
       [] { return FactoryResetDev(); }},
      {"GetRangeInfo", Direction::Get, kGroupRange | kErrGetFailed,
       [] {
         RangeInfo range;
         return GetRangeInfo(&range);
       }},
      {"SendControl", Direction::Set, kErrSetFailed, [] { return SendControl(0); }},
      {"ReadRecordsNow", Direction::Get, kGroupRead | kErrGetFailed,
       [] {
         RecordSet records;
         return ReadRecordsNow(RecordFlags::Only(RecordKind::Idle), &records);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.operation);
    CloseAllDevices();
    auto sensor = AddSensor();
    ASSERT_EQ(ReadDevCfg(), 1);
    sensor->FailAt(c.failing, 1);

    EXPECT_EQ(c.run(), 0);
    const LastFailure failure = GetLastFailure();
    EXPECT_EQ(failure.operation, c.operation);
    EXPECT_EQ(failure.status, c.status);
    EXPECT_EQ(failure.reason, ExplainDevError(c.status));
    EXPECT_EQ(failure.advice, AdviceForDevError(c.status));
  }
}

TEST_F(LibraryCppSideTest, DiscoveryNotesTheReadThatFailed) {
  auto sound = std::make_shared<emu::EmulatedSensor>(0x0144);
  auto failing = std::make_shared<emu::EmulatedSensor>(0x0144);
  bus.PlugSensor(sound);
  bus.PlugSensor(failing);
  failing->FailAt(Direction::Get, 3);
  ASSERT_EQ(OpenAllDevices(nullptr), 0);
  EXPECT_FALSE(GetLastFailure(0).Failed());
  EXPECT_EQ(GetLastFailure(1).operation, "OpenAllDevices");
  EXPECT_EQ(GetLastFailure(1).status, kGroupRead | kErrGetFailed);
}

// What a person reads for a status word: the operation, the cause, and a
// remedy that fits it.
TEST_F(LibraryCppSideTest, StatusWordsAreExplainedWithARemedy) {
  const struct {
    std::uint32_t status;
    const char* says;
    const char* advises;
  } cases[] = {
      {kGroupRead | kErrGetFailed, "reading the configuration failed: the sensor did not answer",
       "still plugged in"},
      {kGroupWrite | kErrSetFailed, "no commit was sent, so the sensor keeps its previous",
       "still plugged in"},
      {kGroupSet | kErrMaxDist, "MaxDistS is outside 15 to 60", "inside the allowed range"},
      {kErrGetNotRead, "has never been read", "Read the sensor's configuration first"},
      {kGroupRead | kErrSensorInUse, "in use by another program", "Wait until that program"},
      {kGroupRange | kErrGetNoEntry, "the range reading failed: the HID layer offers no call",
       "and try again"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    EXPECT_NE(ExplainDevError(c.status).find(c.says), std::string::npos)
        << ExplainDevError(c.status);
    EXPECT_NE(AdviceForDevError(c.status).find(c.advises), std::string::npos)
        << AdviceForDevError(c.status);
  }
}

TEST_F(LibraryCppSideTest, ARefusedSetNamesTheFieldAndItsLimits) {
  AddSensor();
  tsSonarParms sonar = testing::OrdinaryRecords().Sonar;
  sonar.PingRateS = 100;
  ASSERT_EQ(SetSonarParms(&sonar), 0);
  const LastFailure failure = GetLastFailure();
  EXPECT_EQ(failure.operation, "SetSonarParms");
  EXPECT_NE(failure.reason.find("PingRateS is outside 200 to 1020"), std::string::npos)
      << failure.reason;
}

TEST_F(LibraryCppSideTest, SensorInfoTellsWhetherTheRecordsWereRead) {
  auto sensor = AddSensor(0x0143);
  SensorInfo info;
  ASSERT_EQ(GetSensorInfo(0, &info), 1);
  EXPECT_EQ(info.path, GetDevicePath(0));
  EXPECT_NE(info.vendorId, 0);
  EXPECT_FALSE(info.recordsRead);

  ASSERT_EQ(ReadDevCfg(), 1);
  ASSERT_EQ(GetSensorInfo(0, &info), 1);
  EXPECT_TRUE(info.recordsRead);
  EXPECT_EQ(info.firmware, 0x0143);
  EXPECT_EQ(info.dirty, RecordFlags{});
  EXPECT_EQ(GetSensorInfo(1, &info), 0);
}

TEST_F(LibraryCppSideTest, ALoadTellsWhichRecordsItTookAndWhichItRefused) {
  AddSensor();
  ASSERT_EQ(ReadDevCfg(), 1);
  testing::ScratchFolder folder;
  const std::string file = folder.File("refused.txt");
  testing::WriteWholeFile(file, "MaxDistS = 99\nKeyCountWU = 9\n");

  const TemplateLoad load = LoadDevCfgFmFile(file.c_str());
  EXPECT_TRUE(load.read);
  EXPECT_EQ(load.accepted, (RecordFlags{false, true, false, true}));
  EXPECT_EQ(load.refused, (RecordFlags{true, false, true, false}));
  EXPECT_EQ(GetDirtyRecords(), load.accepted);
  const LastFailure failure = GetLastFailure();
  EXPECT_EQ(failure.operation, "ReadDevCfgFmFile");
  EXPECT_NE(failure.reason.find("SetWalkUpParms refused the file's tsWalkUpParms"),
            std::string::npos)
      << "the first refusal in the load's order: " << failure.reason;

  const TemplateLoad missing = LoadDevCfgFmFile(folder.File("none.txt").c_str());
  EXPECT_FALSE(missing.read);
  EXPECT_NE(GetLastFailure().reason.find("could not read"), std::string::npos);
}

}  // namespace
}  // namespace kv
