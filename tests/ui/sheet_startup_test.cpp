// Start-up: the library checks, the caption, the first read of sensor 0, the
// registration for device changes and the creation of every page.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "misc_page.h"
#include "sheet_fixture.h"
#include "sonar_page.h"
#include "walk_away_page.h"
#include "walk_up_page.h"

namespace kv::ui::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FakeLibrary final : public LibraryIdentity {
 public:
  int ApiAvailable() const override { return available; }
  int GetLibVersion(std::uint16_t* major, std::uint16_t* minor,
                    std::uint16_t* build) const override {
    *major = versionMajor;
    *minor = 0;
    *build = 0;
    return 1;
  }
  int available = 1;
  std::uint16_t versionMajor = 2;
};

TEST_F(SheetTest, StartsWithASensorAndShowsItsFirmwareInTheCaption) {
  auto sensor = Plug(0x0143);
  Start();
  EXPECT_EQ(host->Caption(), "KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 1.43");
  EXPECT_EQ(app.ConfigLoaded, 1u);
  EXPECT_EQ(app.DeviceFw, 0x0143);
  EXPECT_EQ(app.FwVariant, -1);
  tsSonarParms cached;
  ASSERT_EQ(GetSonarParms(&cached), 1);
  EXPECT_EQ(app.EditSonar, cached);
  EXPECT_NE(app.EditSonar, tsSonarParms{});
  // Start page first, then every page 100 ms apart, then the start page.
  EXPECT_THAT(host->Activations(), ElementsAre(0, 0, 1, 2, 3, 0));
  EXPECT_THAT(host->Record().Pauses(), ElementsAre(100u, 100u, 100u, 100u));
  EXPECT_TRUE(app.Sheet()->DeviceNotificationsRegistered());
  EXPECT_THAT(host->Record().Messages(), IsEmpty());
  EXPECT_THAT(ownerless.Record().Messages(), IsEmpty());
  // The library work went through the runner: open and read every sensor,
  // then take sensor 0's configuration from that read.
  EXPECT_THAT(runner.Activities(),
              ::testing::IsSupersetOf(
                  {std::string("Opening the sensors"), std::string("Loading the configuration")}));
  for (int page = 0; page < 4; ++page) {
    ASSERT_NE(host->PageDialog(page), nullptr) << page;
  }
  EXPECT_EQ(host->PageDialog(2)->Template().caption, "Sonar");
}

TEST_F(SheetTest, StartUpReadsEachSensorOnceAndWritesBackSensorZerosReservedWords) {
  auto first = Plug(0x0410);
  auto second = Plug(0x0410);
  // Different reserved words in each sensor's walk-up codes and idle blocks
  // (the idle one travels in four bits).
  for (auto [sensor, word] : {std::pair{first, 0x21}, std::pair{second, 0x42}}) {
    emu::EmulatedSensor::Memories memories = sensor->CopyMemories();
    memories.working[4][1] = static_cast<std::uint8_t>(word);
    memories.working[5][0] = static_cast<std::uint8_t>(word & 0x0F);
    sensor->SetMemories(memories);
  }
  Start();
  const auto requests = [](const emu::EmulatedSensor& sensor) {
    int count = 0;
    for (const auto& entry : sensor.Trace()) {
      count += entry.direction == emu::Direction::Set && entry.bytes[1] == 0x80;
    }
    return count;
  };
  EXPECT_EQ(requests(*first), 1);  // one configuration read each
  EXPECT_EQ(requests(*second), 1);
  EXPECT_EQ(app.ConfigLoaded, 1u);
  EXPECT_EQ(host->Caption(), "KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 4.10");
  // A write to sensor 0 sends back sensor 0's own reserved words, as a
  // second read of it would have left them.
  app.EditWalkUp.KeyCountWU = 1;
  app.EditIdle.PressRateI = 9;
  ASSERT_EQ(app.PushWalkUpToDev(), 1);
  ASSERT_EQ(app.PushIdleToDev(), 1);
  const emu::Memory working = first->CopyMemories().working;
  EXPECT_EQ(working[4][1], 0x21);
  EXPECT_EQ(working[5][0], 0x01);
}

TEST_F(SheetTest, AStartUpThatFindsTheSensorBusyThroughoutNamesItsHolder) {
  std::string path;
  Plug(0x0144, &path);
  bus.HoldElsewhere(path, "kv7700ctl, process 42");
  Start();
  EXPECT_EQ(app.ConfigLoaded, 0u);
  ASSERT_FALSE(host->Record().Messages().empty());
  EXPECT_THAT(host->Record().Messages().back().text,
              ::testing::AllOf(::testing::HasSubstr("configuration could not be read"),
                               ::testing::HasSubstr("in use by kv7700ctl, process 42")));
}

TEST_F(SheetTest, StartsWithoutASensorShowingFirmwareZero) {
  Start();
  EXPECT_EQ(host->Caption(), "KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 0.00");
  EXPECT_EQ(app.ConfigLoaded, 0u);
  EXPECT_EQ(app.DeviceFw, 0);
  EXPECT_EQ(app.FwVariant, -1);
  EXPECT_EQ(app.EditWalkAway, tsWalkAwayParms{});
  EXPECT_THAT(host->Activations(), ElementsAre(0, 0, 1, 2, 3, 0));
  EXPECT_THAT(host->Record().Messages(), IsEmpty());
}

TEST_F(SheetTest, BuildsThePagesInTabOrderWithTheirTemplates) {
  Start();
  const auto& sheetPages = app.Sheet()->Pages();
  ASSERT_EQ(sheetPages.size(), 4u);
  const std::pair<int, const char*> expected[] = {
      {108, "Walk-Away"}, {109, "Walk-To"}, {107, "Sonar"}, {110, "Misc."}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(sheetPages[i]->TemplateId(), expected[i].first);
    EXPECT_EQ(sheetPages[i]->Title(), expected[i].second);
  }
  EXPECT_EQ(static_cast<PropertyPage*>(app.PageWalkAway), sheetPages[0]);
  EXPECT_EQ(static_cast<PropertyPage*>(app.PageWalkTo), sheetPages[1]);
  EXPECT_EQ(static_cast<PropertyPage*>(app.PageSonar), sheetPages[2]);
  EXPECT_EQ(static_cast<PropertyPage*>(app.PageMisc), sheetPages[3]);
}

TEST_F(SheetTest, TheLibraryMustBeAvailableAndAtLeastVersionTwo) {
  const struct {
    int available;
    std::uint16_t major;
    bool starts;
    const char* text;
    const char* caption;
  } cases[] = {
      {0, 5, false, "Failed to load API module!", "Error"},
      {1, 1, false, "Must use DLL v2.00 or higher with this App!", "DLL Incompatibility"},
      {1, 0, false, "Must use DLL v2.00 or higher with this App!", "DLL Incompatibility"},
      {1, 2, true, nullptr, nullptr},
      {1, 9, true, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    FakeLibrary library;
    library.available = c.available;
    library.versionMajor = c.major;
    CDorvaneApp checked;
    MemoryWindowHost window;
    checked.SetLibraryIdentity(&library);
    EXPECT_EQ(checked.InitInstance(window), c.starts) << c.major;
    EXPECT_EQ(checked.Sheet() != nullptr, c.starts);
    if (c.text) {
      ASSERT_EQ(window.Record().Messages().size(), 1u);
      EXPECT_EQ(window.Record().Messages()[0].text, c.text);
      EXPECT_EQ(window.Record().Messages()[0].caption, c.caption);
      EXPECT_EQ(window.Record().Messages()[0].icon, MessageIcon::Warning);
    } else {
      EXPECT_THAT(window.Record().Messages(), IsEmpty());
      EXPECT_EQ(checked.LibVersionMajor, c.major);
    }
  }
}

TEST_F(SheetTest, AFailedRegistrationIsReportedWithTheSystemsErrorAndTheSheetRuns) {
  hotPlug.failWith = 19;
  Plug(0x0144);
  Start();
  ASSERT_EQ(host->Record().Messages().size(), 1u);
  EXPECT_EQ(host->Record().Messages()[0].text, "GetLastError() == 19");
  EXPECT_EQ(host->Record().Messages()[0].caption, "RegisterDeviceNotification()");
  EXPECT_EQ(host->Record().Messages()[0].icon, MessageIcon::Warning);
  EXPECT_FALSE(app.Sheet()->DeviceNotificationsRegistered());
  EXPECT_EQ(app.ConfigLoaded, 1u);
  EXPECT_THAT(host->Activations(), ElementsAre(0, 0, 1, 2, 3, 0));
}

TEST_F(SheetTest, ThePagesAreCreatedOnceAndActivatedInTurn) {
  StartWithRecordingPages();
  EXPECT_THAT(log, ElementsAre("Walk-Away init", "Walk-Away active", "Walk-Away active",
                               "Walk-To init", "Walk-To active", "Sonar init", "Sonar active",
                               "Misc. init", "Misc. active", "Walk-Away active"));
}

}  // namespace
}  // namespace kv::ui::testing
