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
