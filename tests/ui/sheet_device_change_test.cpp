// Sensors plugged in and pulled out while the sheet runs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sheet_fixture.h"

namespace kv::ui::testing {
namespace {

using ::testing::IsEmpty;

const std::vector<std::string> kRefreshToEveryPage = {
    "Walk-Away command 1026 0", "Walk-To command 1026 0", "Sonar command 1026 0",
    "Misc. command 1026 0"};

TEST_F(SheetTest, ArrivalAndRemovalRefreshFromSensorZero) {
  StartWithRecordingPages();
  log.clear();

  std::string first, second;
  Plug(0x0143, &first);  // into an empty sheet: opened, read, shown
  EXPECT_EQ(host->Caption(), "KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 1.43");
  EXPECT_EQ(app.ConfigLoaded, 1u);
  EXPECT_EQ(log, kRefreshToEveryPage);

  log.clear();
  Plug(0x0144, &second);  // a second sensor: the pages still show sensor 0
  EXPECT_EQ(app.DeviceFw, 0x0143);
  EXPECT_EQ(host->Caption(), "KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 1.43");
  EXPECT_EQ(log, kRefreshToEveryPage);

  log.clear();
  bus.Unplug(first);  // the second sensor becomes sensor 0
  EXPECT_EQ(app.DeviceFw, 0x0144);
  EXPECT_EQ(host->Caption(), "KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 1.44");
  EXPECT_EQ(log, kRefreshToEveryPage);

  log.clear();
  bus.Unplug(second);  // none left
  EXPECT_EQ(host->Caption(), "KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 0.00");
  EXPECT_EQ(app.ConfigLoaded, 0u);
  EXPECT_EQ(app.DeviceFw, 0);
  EXPECT_EQ(app.EditSonar, tsSonarParms{});
  EXPECT_EQ(app.EditWalkUp, tsWalkUpParms{});
  EXPECT_EQ(log, kRefreshToEveryPage);
}

TEST_F(SheetTest, ASensorPluggedInWhileStartUpReadsIsOpenedOnce) {
  auto present = Plug(0x0143);
  std::string late;
  // Plugged in at the first report of start-up's configuration read.
  present->SetTraceObserver([&](const emu::TraceEntry&) {
    if (late.empty()) late = bus.PlugSensor(std::make_shared<emu::EmulatedSensor>(0x0144));
  });
  StartWithRecordingPages();
  present->SetTraceObserver(nullptr);

  ASSERT_FALSE(late.empty());
  EXPECT_EQ(GetDeviceCount(), 2);
  EXPECT_EQ(std::string(GetLibState().Slots[1].DevicePath.data()), late);
  EXPECT_EQ(app.DeviceFw, 0x0143);  // sensor 0 stays the one edited
  EXPECT_EQ(app.Gate().HeldCount(), 0u);
}

TEST_F(SheetTest, DevicesThatAreNotSensorsChangeNothing) {
  auto sensor = Plug(0x0143);
  StartWithRecordingPages();
  log.clear();
  sensor->ClearTrace();
  const std::string keyboard = bus.PlugOther(0x046D, 0xC31C);
  bus.Unplug(keyboard);
  EXPECT_THAT(log, IsEmpty());
  EXPECT_THAT(sensor->Trace(), IsEmpty());
  EXPECT_EQ(host->Caption(), "KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 1.43");
}

TEST_F(SheetTest, TheFirmwareVariantFollowsTheLowestHexDigit) {
  const struct {
    std::int32_t firmware;
    std::int16_t before, after;
  } cases[] = {{0x0320, 2, -1}, {0x0322, -1, 2}, {0x0321, 2, 2},  {0x0321, -1, -1},
               {0x032F, 2, 2},  {0x0143, 2, 2},  {0x0000, 2, -1}, {0x0312, -1, 2}};
  for (const auto& c : cases) {
    app.FwVariant = c.before;
    app.SetFwVariant(c.firmware);
    EXPECT_EQ(app.FwVariant, c.after) << std::hex << c.firmware;
  }
}

TEST_F(SheetTest, AReducedSensorKeepsTheVariantForTheNextOneWithAnOtherDigit) {
  std::string plain, reduced;
  Plug(0x0320, &plain);
  Start();
  EXPECT_EQ(app.FwVariant, -1);
  Plug(0x0322, &reduced);
  bus.Unplug(plain);  // the reduced sensor is sensor 0 now
  EXPECT_EQ(app.FwVariant, 2);
  Plug(0x0321);
  bus.Unplug(reduced);  // 0x0321 follows directly: the variant stays
  EXPECT_EQ(app.DeviceFw, 0x0321);
  EXPECT_EQ(app.FwVariant, 2);
}

// Runs one probe inside the next piece of library work, as a notification or
// a timer tick would arrive while the window waits for the worker.
class ProbingRunner final : public LibraryRunner {
 public:
  void Run(const std::function<void()>& work, const Activity&) override {
    if (probe) {
      auto once = std::move(probe);
      probe = nullptr;
      once();
    }
    work();
  }
  std::function<void()> probe;
};

class BusyTest : public SheetTest {
 protected:
  ProbingRunner probing;  // outlives TearDown, which still runs library work
};

TEST_F(BusyTest, NotificationsDuringLibraryWorkWaitAndTicksAreDropped) {
  auto sensor = Plug(0x0143);
  StartWithRecordingPages();
  app.SetRunner(&probing);
  log.clear();

  std::string arrived;
  probing.probe = [&] {
    EXPECT_TRUE(app.Gate().Busy());
    arrived = bus.PlugSensor(std::make_shared<emu::EmulatedSensor>(0x0144));
    EXPECT_THAT(log, IsEmpty());  // held
    pages[3]->NotifyTimer(1025);  // dropped
  };
  EXPECT_EQ(app.RefreshConfigFmDev(), 1);  // one sensor when the read ran
  EXPECT_EQ(pages[3]->timerTicks, 0);
  EXPECT_EQ(log, kRefreshToEveryPage);  // the arrival ran after the call
  EXPECT_EQ(GetDeviceCount(), 2);

  pages[3]->NotifyTimer(1025);  // idle: delivered
  EXPECT_EQ(pages[3]->timerTicks, 1);
}

}  // namespace
}  // namespace kv::ui::testing
