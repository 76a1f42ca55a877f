// The application object's operations against emulated sensors: what reaches
// the sensor, and what the pending flags and edit copies say afterwards.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <kv7700/clock.h>

#include <functional>

#include "sheet_fixture.h"

namespace kv::ui::testing {
namespace {

using ::testing::IsEmpty;

TEST_F(SheetTest, TheCaptionShowsLibraryAndFirmwareVersions) {
  const struct {
    std::int16_t major, minor, build;
    std::int32_t firmware;
    const char* caption;
  } cases[] = {{5, 5, 0, 0x0143, "KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 1.43"},
               {5, 5, 0, 0, "KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 0.00"},
               {2, 1, 12, 0x1A05, "KV7700 " KV_APP_VERSION ", DLL 2.112, DeviceFW 1A.05"},
               {5, 5, 0, 0x0400, "KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 4.00"}};
  for (const auto& c : cases) {
    app.LibVersionMajor = c.major;
    app.LibVersionMinor = c.minor;
    app.LibVersionBuild = c.build;
    app.DeviceFw = c.firmware;
    EXPECT_EQ(app.FormatCaption(), c.caption);
  }
}

TEST_F(SheetTest, APushClearsItsPendingFlagOnceTheLibraryTookTheRecord) {
  auto sensor = Plug(0x0144);
  Start();
  sensor->ClearTrace();

  app.SonarPending = 1;
  app.EditSonar.PingRateS = 100;  // below the record's limit: refused
  EXPECT_EQ(app.PushSonarToDev(), 0);
  EXPECT_EQ(app.SonarPending, 1u);
  EXPECT_EQ(SetReports(*sensor), 0u);

  app.EditSonar.PingRateS = 500;
  sensor->FailAt(emu::Direction::Set, 1);  // the write fails
  EXPECT_EQ(app.PushSonarToDev(), 0);
  EXPECT_EQ(app.SonarPending, 0u);  // the library's dirty flag carries it now

  sensor->ClearTrace();
  app.WalkAwayPending = 1;
  EXPECT_EQ(app.PushWalkAwayToDev(), 1);  // sends the sonar record too
  EXPECT_EQ(app.WalkAwayPending, 0u);
  EXPECT_EQ(app.RefreshConfigFmDev(), 1);
  EXPECT_EQ(app.EditSonar.PingRateS, 500);
}

TEST_F(SheetTest, PushConfigToLibStopsAtTheFirstRefusedRecord) {
  Plug(0x0144);
  Start();
  const tsWalkAwayParms before = app.EditWalkAway;
  app.EditSonar.MinDistS = 0;  // refused
  app.EditWalkAway.MinFltRepRate = before.MinFltRepRate + 1;
  EXPECT_EQ(app.PushConfigToLib(), 0);
  tsWalkAwayParms cached;
  GetWalkAwayParms(&cached);
  EXPECT_EQ(cached, before);

  app.EditSonar.MinDistS = 20;
  EXPECT_EQ(app.PushConfigToLib(), 1);
  GetWalkAwayParms(&cached);
  EXPECT_EQ(cached, app.EditWalkAway);
}

TEST_F(SheetTest, ARefreshThatCannotReadClearsTheWorkingCopy) {
  auto sensor = Plug(0x0143);
  Start();
  ASSERT_EQ(app.ConfigLoaded, 1u);
  sensor->Vanish();
  EXPECT_EQ(app.RefreshConfigFmDev(), 0);
  EXPECT_EQ(app.ConfigLoaded, 0u);
  EXPECT_EQ(app.DeviceFw, 0);
  EXPECT_EQ(app.EditSonar, tsSonarParms{});
  EXPECT_EQ(app.EditIdle, tsIdleParms{});
}

TEST_F(SheetTest, UserDefaultCommandsNeedFirmwareFourAndResetHasNoLimit) {
  auto sensor = Plug(0x03FF);
  Start();
  sensor->ClearTrace();
  EXPECT_EQ(app.RestoreUserDefaultsAndRefresh(), 0);
  EXPECT_EQ(app.SaveUserDefaultsAndRefresh(), 0);
  EXPECT_THAT(sensor->Trace(), IsEmpty());

  EXPECT_EQ(app.ResetAllAndRefresh(), 1);
  EXPECT_EQ(app.ConfigLoaded, 1u);

  app.DeviceFw = 0x0400;
  clock.ResetSlept();
  EXPECT_EQ(app.SaveUserDefaultsAndRefresh(), 1);
  EXPECT_GE(clock.SleptMs(), 2000u);  // the sensor's own wait, then the read-back
  EXPECT_EQ(app.DeviceFw, 0x03FF);    // as read back from the sensor

  sensor->Vanish();
  app.DeviceFw = 0x0400;
  EXPECT_EQ(app.RestoreUserDefaultsAndRefresh(), 0);
}

TEST_F(SheetTest, CloneDataMovesOneSensorsConfigurationToAnother) {
  std::string source;
  Plug(0x0144, &source);
  Start();
  app.EditSonar.PingRateS = 500;
  app.EditWalkAway.MinFltRepRate = 9;
  ASSERT_EQ(app.PushSonarToDev(), 1);
  ASSERT_EQ(app.PushWalkAwayToDev(), 1);
  ASSERT_EQ(app.RefreshConfigFmDev(), 1);
  EXPECT_EQ(app.SaveCloneData(), 1);
  const struct {
    tsSonarParms sonar;
    tsWalkAwayParms walkAway;
    tsWalkUpParms walkUp;
    tsIdleParms idle;
  } saved{app.EditSonar, app.EditWalkAway, app.EditWalkUp, app.EditIdle};

  bus.Unplug(source);
  Plug(0x0144);  // a fresh sensor with its factory configuration
  EXPECT_NE(app.EditSonar, saved.sonar);
  EXPECT_EQ(app.WriteCloneData(), 1);
  ASSERT_EQ(app.RefreshConfigFmDev(), 1);
  EXPECT_EQ(app.EditSonar, saved.sonar);
  EXPECT_EQ(app.EditWalkAway, saved.walkAway);
  EXPECT_EQ(app.EditWalkUp, saved.walkUp);
  EXPECT_EQ(app.EditIdle, saved.idle);
}

// Runs the work inline and keeps each piece's announced duration beside the
// time the sensor's waits took.
class TimingRunner final : public LibraryRunner {
 public:
  explicit TimingRunner(VirtualClock& clock) : clock_(clock) {}
  void Run(const std::function<void()>& work, const Activity& activity) override {
    clock_.ResetSlept();
    work();
    announced = activity.expectedMs;
    took = clock_.SleptMs();
  }
  std::uint64_t announced = 0;
  std::uint64_t took = 0;

 private:
  VirtualClock& clock_;
};

// The progress strip's share is only as good as the duration announced:
// each operation announces what the library says its waits take.
TEST_F(SheetTest, EachOperationAnnouncesTheTimeTheSensorTakes) {
  Plug(0x0401);
  Start();
  TimingRunner timing(clock);
  app.SetRunner(&timing);
  const struct {
    const char* what;
    std::function<int()> run;
  } cases[] = {
      {"refresh", [&] { return app.RefreshConfigFmDev(); }},
      {"sonar", [&] { return app.PushSonarToDev(); }},
      {"walk-away", [&] { return app.PushWalkAwayToDev(); }},
      {"walk-to", [&] { return app.PushWalkUpToDev(); }},
      {"idle", [&] { return app.PushIdleToDev(); }},
      {"clone", [&] { return app.SaveCloneData() && app.WriteCloneData(); }},
      {"restore defaults", [&] { return app.RestoreUserDefaultsAndRefresh(); }},
      {"range",
       [&] {
         RangeInfo range;
         return app.GetRangeInfo(&range);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.run(), 1);
    EXPECT_EQ(timing.announced, timing.took);
  }
  app.SetRunner(&runner);  // the fixture's, for the end of the program
}

}  // namespace
}  // namespace kv::ui::testing
