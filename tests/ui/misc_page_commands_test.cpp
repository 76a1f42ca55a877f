// The page commands the Misc. page sends: advanced settings on the other
// pages, and the quick-setup presets that reach the sensor with Apply.
#include "misc_page_fixture.h"

namespace kv::ui::testing {
namespace {

using M = MiscPage;

TEST_F(MiscPageTest, EnableAdvancedSettingsSwitchesTheOtherPagesFields) {
  Plug(0x0144);
  StartOnMisc();
  const std::pair<int, int> advanced[] = {{kSonarTab, 1066},    {kSonarTab, 1024},
                                          {kSonarTab, 1030},    {kWalkAwayTab, 1014},
                                          {kWalkAwayTab, 1023}, {kWalkToTab, 1014}};
  for (bool on : {true, false}) {
    ASSERT_TRUE(Misc().Click(M::kIdAdvancedSettings));
    EXPECT_EQ(Misc().IsChecked(M::kIdAdvancedSettings), on);
    for (const auto& [tab, id] : advanced) {
      EXPECT_EQ(Tab(tab).IsEnabled(id), on) << "tab " << tab << ", control " << id;
    }
  }
}

TEST_F(MiscPageTest, QuickSetupPresetsReachTheSensorWithApply) {
  using Block = emu::Block;
  const struct {
    int button;
    Block walkAwayMods, walkAwayCodes, walkUpMods, walkUpCodes;  // 0x81 to 0x84
  } cases[] = {
      {M::kIdWin2K,
       {4, 2, 0x05, 0, 0, 0, 0, 0},
       {0, 0, 0x4C, 0x0E, 0x2A, 0x29, 0, 0},
       {1, 2, 0x05, 0, 0, 0, 0, 0},
       {0, 0, 0x4C, 0, 0, 0, 0, 0}},
      {M::kIdWinXPWelcome,
       {1, 2, 0x08, 0, 0, 0, 0, 0},
       {0, 0, 0x0F, 0, 0, 0, 0, 0},
       {0, 2, 0, 0, 0, 0, 0, 0},
       {0, 0, 0, 0, 0, 0, 0, 0}},
      {M::kIdWinXPClassic,
       {1, 2, 0x08, 0, 0, 0, 0, 0},
       {0, 0, 0x0F, 0, 0, 0, 0, 0},
       {1, 2, 0x05, 0, 0, 0, 0, 0},
       {0, 0, 0x4C, 0, 0, 0, 0, 0}},
  };
  auto sensor = Plug(0x0144);
  StartOnMisc();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    ASSERT_TRUE(Misc().Click(c.button));
    EXPECT_TRUE(Misc().IsChecked(c.button));
    EXPECT_TRUE(host->ApplyEnabled());
    ASSERT_TRUE(host->PressApply());
    EXPECT_EQ(sensor->Working()[1], c.walkAwayMods);
    EXPECT_EQ(sensor->Working()[2], c.walkAwayCodes);
    EXPECT_EQ(sensor->Working()[3], c.walkUpMods);
    EXPECT_EQ(sensor->Working()[4], c.walkUpCodes);
    // Nothing else of the configuration moves.
    EXPECT_EQ(sensor->Working()[0], emu::FactoryMemory()[0]);
    EXPECT_EQ(sensor->Working()[5], emu::FactoryMemory()[5]);
  }
}

}  // namespace
}  // namespace kv::ui::testing
