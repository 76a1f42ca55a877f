// The Misc. page's memory commands: firmware rules, the refresh that follows
// success, and the failures that are now reported.
#include "misc_page_fixture.h"

namespace kv::ui::testing {
namespace {

using emu::Direction;
using M = MiscPage;

TEST_F(MiscPageTest, MemoryCommandsFollowTheirFirmwareRules) {
  const struct {
    int button;
    std::uint16_t firmware;
    std::uint8_t command;
    bool sent;
  } cases[] = {
      {M::kIdRestoreUserDefaults, 0x03FF, 0xD0, false},
      {M::kIdRestoreUserDefaults, 0x0400, 0xD0, true},
      {M::kIdSaveUserDefaults, 0x03FF, 0xE0, false},
      {M::kIdSaveUserDefaults, 0x0400, 0xE0, true},
      {M::kIdResetAll, 0x0100, 0xA0, true},  // no firmware limit
  };
  StartOnMisc();
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.button << " on firmware " << std::hex << c.firmware);
    std::string path;
    auto sensor = Plug(c.firmware, &path);
    sensor->ClearTrace();
    Misc().Record().ClearMessages();
    Misc().Record().ClearPauses();

    ASSERT_TRUE(Misc().Click(c.button));
    EXPECT_EQ(Sent(*sensor, c.command), c.sent ? 1 : 0);
    if (c.sent) {
      EXPECT_TRUE(Misc().Record().Messages().empty());
      EXPECT_EQ(Misc().Record().Pauses(), std::vector<std::uint32_t>{1000});
    } else {
      ExpectOnlyMessage("This Feature is not supported on your current Firmware!");
      EXPECT_TRUE(sensor->Trace().empty());
    }
    EXPECT_EQ(Misc().Record().WaitCursorDepth(), 0);
    bus.Unplug(path);
  }
}

TEST_F(MiscPageTest, ResetAllReloadsEveryPageAndClearsTheSwitches) {
  auto sensor = Plug(0x0144);
  sensor->Working()[0][3] = 69;  // 20 inches minimum distance
  StartOnMisc();
  ASSERT_EQ(app.EditSonar.MinDistS, 20);
  ASSERT_TRUE(Misc().Click(M::kIdAdvancedSettings));
  ASSERT_TRUE(Misc().Click(M::kIdWinXPClassic));
  ASSERT_TRUE(Misc().IsChecked(M::kIdAdvancedSettings));
  ASSERT_TRUE(Misc().IsChecked(M::kIdWinXPClassic));
  sensor->ClearTrace();
  const auto before = clock.NowMs();

  ASSERT_TRUE(Misc().Click(M::kIdResetAll));
  EXPECT_EQ(sensor->Working(), emu::FactoryMemory());
  EXPECT_EQ(Commands(*sensor).front(), 0xA0);
  EXPECT_EQ(app.EditSonar.MinDistS, 14);
  EXPECT_EQ(Tab(kSonarTab).GetText(1026), "14");
  EXPECT_FALSE(Misc().IsChecked(M::kIdAdvancedSettings));
  for (int id : {M::kIdWin2K, M::kIdWinXPWelcome, M::kIdWin98, M::kIdWinXPClassic}) {
    EXPECT_FALSE(Misc().IsChecked(id)) << id;
  }
  // Reloaded, not pending: nothing waits for Apply.
  EXPECT_FALSE(host->ApplyEnabled());
  // The sensor's 2000 ms, its read back, the sheet's reload of sensor 0
  // (seven exchanges of 250 ms each), then the page's own 1000 ms.
  EXPECT_EQ(clock.NowMs() - before, 2000u + 2 * 7 * 250 + 1000);
  EXPECT_TRUE(Misc().Record().Messages().empty());
}

TEST_F(MiscPageTest, AFailedMemoryCommandIsReportedAndRefreshesNothing) {
  const struct {
    int button;
    Direction failing;
    const char* message;
  } cases[] = {
      {M::kIdResetAll, Direction::Set, "Failed ResetAllAndRefresh!"},
      {M::kIdResetAll, Direction::Get, "Failed ResetAllAndRefresh!"},  // the read back
      {M::kIdRestoreUserDefaults, Direction::Set, "Failed RestoreUserDefaultsAndRefresh!"},
      {M::kIdSaveUserDefaults, Direction::Set, "Failed SaveUserDefaultsAndRefresh!"},
  };
  auto sensor = Plug(0x0400);
  StartOnMisc();
  ASSERT_TRUE(Misc().Click(M::kIdAdvancedSettings));
  ASSERT_TRUE(Misc().Click(M::kIdWin2K));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Misc().Record().ClearMessages();
    Misc().Record().ClearPauses();
    sensor->FailAt(c.failing, 1);

    ASSERT_TRUE(Misc().Click(c.button));
    ExpectOnlyMessage(c.message);
    EXPECT_TRUE(Misc().Record().Pauses().empty());
    EXPECT_TRUE(Misc().IsChecked(M::kIdAdvancedSettings));
    EXPECT_TRUE(Misc().IsChecked(M::kIdWin2K));
  }
}

}  // namespace
}  // namespace kv::ui::testing
