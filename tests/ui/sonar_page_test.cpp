#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>

#include "sonar_page_fixture.h"

namespace kv::ui::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct PingRateCase {
  const char* typed;
  const char* message;  // null: accepted as typed
  const char* shown;
  std::uint8_t sent;  // the sensor keeps 4 ms steps
};

TEST_F(SonarPageTest, PingRateOutsideTheLimitsIsCorrectedWithAMessage) {
  const PingRateCase cases[] = {
      {"150", "The Minimum Ping Rate is 200msec!", "200", 50},
      {"1500", "The Maximum Ping Rate is 1020msec!", "1020", 255},
      {"1021", "The Maximum Ping Rate is 1020msec!", "1020", 255},
      {"1000", nullptr, "1000", 250},
  };
  Start(0x0144);
  AdvancedSettings(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    sensor->ClearTrace();
    Page().Record().ClearMessages();
    ASSERT_TRUE(Page().Type(SNRPage::kIdPingRate, c.typed));
    EXPECT_TRUE(host->PressApply());
    if (c.message) {
      ASSERT_EQ(Page().Record().Messages().size(), 1u);
      EXPECT_EQ(Page().Record().Messages()[0].text, c.message);
      EXPECT_EQ(Page().Record().Messages()[0].caption, "Ping Rate Error");
    } else {
      EXPECT_THAT(Page().Record().Messages(), IsEmpty());
    }
    EXPECT_EQ(Page().GetText(SNRPage::kIdPingRate), c.shown);
    EXPECT_EQ(Block(kSonarBlock)[kPingByte], c.sent);
    EXPECT_THAT(Commits(), ElementsAre(0x01));
    EXPECT_FALSE(app.SonarPending);
    EXPECT_FALSE(Page().Modified());
  }
}

struct DistanceCase {
  const char *min, *max;
  int shownMin, shownMax;
  bool accepted;  // the library takes a minimum of 1 to 59 and a maximum of 15 to 60
  std::uint8_t sentMin, sentMax;  // echo ticks, 3.472222 an inch, rounded half up
};

TEST_F(SonarPageTest, DistancesAreCorrectedWrittenBackAndRefusalsReported) {
  const DistanceCase cases[] = {{"0", "0", 1, 2, false, 0, 0},
                                {"30", "30", 30, 31, true, 104, 108},  // 104.17, 107.64
                                {"70", "70", 59, 60, true, 205, 208},  // 204.86, 208.33
                                {"70", "50", 70, 71, false, 0, 0}};
  Start(0x0144);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.min) + "/" + c.max);
    sensor->ClearTrace();
    Page().Record().ClearMessages();
    Page().Record().ClearPauses();
    const emu::Block before = Block(kSonarBlock);
    Page().Type(SNRPage::kIdMinDistance, c.min);
    Page().Type(SNRPage::kIdMaxDistance, c.max);

    EXPECT_EQ(host->PressApply(), c.accepted);
    EXPECT_EQ(Page().GetNumber(SNRPage::kIdMinDistance), static_cast<std::uint32_t>(c.shownMin));
    EXPECT_EQ(Page().GetNumber(SNRPage::kIdMaxDistance), static_cast<std::uint32_t>(c.shownMax));
    if (c.accepted) {
      EXPECT_EQ(Block(kSonarBlock)[kMinByte], c.sentMin);
      EXPECT_EQ(Block(kSonarBlock)[kMaxByte], c.sentMax);
      EXPECT_THAT(Commits(), ElementsAre(0x01));
      EXPECT_THAT(Page().Record().MessageTexts(), IsEmpty());
      EXPECT_THAT(Page().Record().Pauses(), ElementsAre(1000));
    } else {
      EXPECT_EQ(Reports(), 0u);  // refused before anything was sent
      EXPECT_EQ(Block(kSonarBlock), before);
      EXPECT_THAT(Page().Record().MessageTexts(),
                  ElementsAre("Failed to Write the device Features (Sonar)!"));
      EXPECT_THAT(Page().Record().Pauses(), IsEmpty());
      EXPECT_TRUE(app.SonarPending);
      EXPECT_TRUE(Page().Modified());
    }
  }
}

TEST_F(SonarPageTest, ADistanceTheLibraryRefusesIsReportedAndKeepsTheSheetOpen) {
  Start(0x0144);
  const emu::Block before = Block(kSonarBlock);
  Page().Type(SNRPage::kIdMinDistance, "70");
  Page().Type(SNRPage::kIdMaxDistance, "50");

  EXPECT_FALSE(host->PressOk());
  EXPECT_FALSE(host->Closed());
  ASSERT_EQ(Page().Record().Messages().size(), 1u);
  EXPECT_EQ(Page().Record().Messages()[0].text, "Failed to Write the device Features (Sonar)!");
  EXPECT_EQ(Page().Record().Messages()[0].caption, app.AppName());
  EXPECT_EQ(Block(kSonarBlock), before);
  EXPECT_TRUE(app.SonarPending);
  EXPECT_TRUE(Page().Modified());
  EXPECT_TRUE(host->ApplyEnabled());
  EXPECT_THAT(Page().Record().Pauses(), IsEmpty());

  // Mended, the next OK writes and closes.
  Page().Type(SNRPage::kIdMinDistance, "40");
  EXPECT_TRUE(host->PressOk());
  EXPECT_EQ(Block(kSonarBlock)[kMinByte], 139);  // 40 inches: 138.89 ticks
  EXPECT_EQ(Block(kSonarBlock)[kMaxByte], 208);  // 60 inches: 208.33 ticks
  EXPECT_THAT(Commits(), ElementsAre(0x01));
}

TEST_F(SonarPageTest, OlderFirmwarePacksBothDelaysIntoOneWord) {
  Start(0x0142, [](emu::Memory& memory) {
    memory[kSonarBlock][kLedByte] = 0x05;
    memory[kSonarBlock][kOrdbByte] = 0x2A;  // in range 2 s, out of range 10 s
    memory[kSonarBlock][kIrdbByte] = 0x09;
  });
  EXPECT_EQ(Page().GetText(SNRPage::kIdInRangeDelayRange), "( 0 to 15 sec )");
  EXPECT_EQ(Page().GetText(SNRPage::kIdOutOfRangeDelayRange), "( 0 to 15 sec )");
  for (int box :
       {SNRPage::kIdNoInRangeLed, SNRPage::kIdNoOutOfRangeLed, SNRPage::kIdNoTransitionLed}) {
    EXPECT_FALSE(Page().IsEnabled(box)) << box;
  }
  EXPECT_EQ(Page().GetNumber(SNRPage::kIdInRangeDelay), 2u);
  EXPECT_EQ(Page().GetNumber(SNRPage::kIdOutOfRangeDelay), 10u);

  Page().Type(SNRPage::kIdInRangeDelay, "20");
  Page().Type(SNRPage::kIdOutOfRangeDelay, "7");
  EXPECT_TRUE(host->PressApply());

  EXPECT_EQ(Page().GetText(SNRPage::kIdInRangeDelay), "15");
  EXPECT_EQ(Page().GetText(SNRPage::kIdOutOfRangeDelay), "7");
  EXPECT_EQ(Block(kSonarBlock)[kOrdbByte], 0xF7);
  // The hidden edits carry the LED word and the in-range word through.
  EXPECT_EQ(Block(kSonarBlock)[kIrdbByte], 0x09);
  EXPECT_EQ(Block(kSonarBlock)[kLedByte], 0x05);
  EXPECT_THAT(Commits(), ElementsAre(0x01));
}

TEST_F(SonarPageTest, NewerFirmwareTakesLongDelaysAndTheLedBoxesReplaceTheLedWord) {
  Start(0x0143, [](emu::Memory& memory) { memory[kSonarBlock][kLedByte] = 0x7A; });
  EXPECT_EQ(Page().GetText(SNRPage::kIdInRangeDelayRange), "( 0 to 255 sec )");
  EXPECT_TRUE(Page().IsEnabled(SNRPage::kIdNoInRangeLed));
  EXPECT_FALSE(Page().IsChecked(SNRPage::kIdNoInRangeLed));
  EXPECT_TRUE(Page().IsChecked(SNRPage::kIdNoOutOfRangeLed));  // bit 1 of 0x7A
  EXPECT_FALSE(Page().IsChecked(SNRPage::kIdNoTransitionLed));

  ASSERT_TRUE(Page().Click(SNRPage::kIdNoInRangeLed));
  Page().Type(SNRPage::kIdInRangeDelay, "300");
  Page().Type(SNRPage::kIdOutOfRangeDelay, "300");
  EXPECT_TRUE(host->PressApply());

  EXPECT_EQ(Page().GetText(SNRPage::kIdInRangeDelay), "255");
  EXPECT_EQ(Page().GetText(SNRPage::kIdOutOfRangeDelay), "255");
  EXPECT_EQ(Block(kSonarBlock)[kIrdbByte], 255);
  EXPECT_EQ(Block(kSonarBlock)[kOrdbByte], 255);
  EXPECT_EQ(Block(kSonarBlock)[kLedByte], 0x03);  // the other bits of 0x7A are gone
}

TEST_F(SonarPageTest, DeadTargetDeltaIsShownInWholeInchesWithoutMarkingAnything) {
  Start(0x0144, [](emu::Memory& memory) { memory[kIdleBlock][5] = 35; });
  EXPECT_EQ(Page().GetText(SNRPage::kIdDeadDelta), "11");
  EXPECT_EQ(app.EditIdle.DMTODeltaI, 38);
  EXPECT_THAT(PendingFlags(), ElementsAre(0, 0, 0, 0));
  EXPECT_FALSE(Page().Modified());

  EXPECT_TRUE(host->PressApply());
  EXPECT_EQ(Reports(), 0u);
  EXPECT_EQ(Block(kIdleBlock)[5], 35);
}

struct MinutesCase {
  const char* name;
  int box;
  int mask;
  std::size_t block;
  std::uint32_t CDorvaneApp::*pending;
};

void PrintTo(const MinutesCase& c, std::ostream* out) {
  *out << c.name;
}

class SonarMinutesTest : public SonarPageTest, public ::testing::WithParamInterface<MinutesCase> {};

TEST_P(SonarMinutesTest, AMinutesBoxAloneWritesOnlyItsKeyRecord) {
  const MinutesCase& c = GetParam();
  Start(0x0144);
  ASSERT_TRUE(Page().Click(c.box));
  EXPECT_TRUE(app.*c.pending);
  EXPECT_TRUE(Page().Modified());

  EXPECT_TRUE(host->PressApply());
  EXPECT_THAT(Commits(), ElementsAre(c.mask));
  EXPECT_EQ(Block(c.block)[0], 0x01);
  EXPECT_THAT(Page().Record().Pauses(), ElementsAre(1000));
  EXPECT_FALSE(app.*c.pending);
  EXPECT_FALSE(Page().Modified());
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, SonarMinutesTest,
    ::testing::Values(MinutesCase{"OutOfRange", SNRPage::kIdOutOfRangeMinutes, 0x06, kWalkAwayFlags,
                                  &CDorvaneApp::WalkAwayPendingSonar},
                      MinutesCase{"InRange", SNRPage::kIdInRangeMinutes, 0x18, kWalkUpFlags,
                                  &CDorvaneApp::WalkUpPendingSonar}),
    [](const ::testing::TestParamInfo<MinutesCase>& info) { return info.param.name; });

TEST_F(SonarPageTest, AKeyRecordEditedOnBothPagesIsWrittenOnceWithBothChanges) {
  Start(0x0144);
  MemoryDialogHost& walkAway = *host->PageDialog(0);
  walkAway.Command(CMD_ADVANCED_SETTINGS, 1);
  ASSERT_TRUE(walkAway.Type(1023, "9"));  // "MinDist Fault Send Rate (sec):"
  ASSERT_TRUE(Page().Click(SNRPage::kIdOutOfRangeMinutes));

  EXPECT_TRUE(host->PressApply());
  // Each record: one read to compare, one write.
  EXPECT_EQ(Requests(0x81), 2);
  EXPECT_EQ(Requests(0x82), 2);
  EXPECT_THAT(Commits(), ElementsAre(0x06));
  EXPECT_EQ(Block(kWalkAwayFlags)[0], 0x01);  // Flags0WA from this page
  EXPECT_EQ(Block(kWalkAwayFlags)[1], 9);     // MinFltRepRate from the Walk-Away page
  EXPECT_THAT(Page().Record().Pauses(), ElementsAre(1000));
  EXPECT_FALSE(app.WalkAwayPending || app.WalkAwayPendingSonar);
  EXPECT_FALSE(host->ApplyEnabled());
}

TEST_F(SonarPageTest, TheReducedVariantShowsOnlyTheDelays) {
  Start(0x0322);
  const int hidden[] = {1066, 1067, 1024, 1076, 1077, 1026, 1056, 1072, 1073, 1027, 1074, 1075,
                        1069, 1061, 1062, 1063, 1070, 1071, 1068, 1044, 1045, 1046, 1025, 1059};
  for (int id : hidden) {
    EXPECT_FALSE(Page().IsVisible(id)) << id;
  }
  for (int id : {1028, 1031, 1030, 1064, 1065, 1047, 1048}) {
    EXPECT_TRUE(Page().IsVisible(id)) << id;
  }

  AdvancedSettings(true);
  for (int id : {1066, 1024, 1056, 1061, 1062, 1063}) {
    EXPECT_FALSE(Page().IsEnabled(id)) << id;
  }
  ASSERT_TRUE(Page().Type(SNRPage::kIdStartDelay, "300"));
  EXPECT_TRUE(host->PressApply());
  EXPECT_EQ(Page().GetText(SNRPage::kIdStartDelay), "255");
  EXPECT_EQ(Block(kSonarBlock)[kStartByte], 255);
}

TEST_F(SonarPageTest, AdvancedSettingsEnableSevenControlsUntilTheNextRefresh) {
  Start(0x0144);
  const int advanced[] = {1066, 1024, 1056, 1061, 1062, 1063, 1030};
  AdvancedSettings(true);
  for (int id : advanced) {
    EXPECT_TRUE(Page().IsEnabled(id)) << id;
  }
  Page().Command(CMD_REFRESH_PAGES, 0);
  for (int id : advanced) {
    EXPECT_FALSE(Page().IsEnabled(id)) << id;
  }
  EXPECT_TRUE(Page().IsEnabled(SNRPage::kIdMinDistance));
  EXPECT_FALSE(Page().IsVisible(SNRPage::kIdCycleCount));
}

TEST_F(SonarPageTest, ARefreshFromAFileMarksEveryRecordPending) {
  Start(0x0144);
  Page().Command(CMD_REFRESH_PAGES, 1);
  EXPECT_THAT(PendingFlags(), ElementsAre(1, 1, 1, 1));
  EXPECT_TRUE(Page().Modified());

  EXPECT_TRUE(host->PressApply());
  EXPECT_THAT(Commits(), ElementsAre(0x01, 0x20, 0x06, 0x18));
  EXPECT_THAT(Page().Record().Pauses(), ElementsAre(1000, 1000, 1000, 1000));
  EXPECT_THAT(PendingFlags(), ElementsAre(0, 0, 0, 0));
}

TEST_F(SonarPageTest, ReactivationRefillsAndDropsPendingEditsOfOtherRecords) {
  struct Case {
    const char* what;
    std::function<void(MemoryDialogHost&)> edit;
    std::function<bool(const CDorvaneApp&)> kept;
    std::array<std::uint32_t, 4> pending;  // sonar, idle, walk-away, walk-up
  };
  const Case cases[] = {
      {"dead target",
       [](MemoryDialogHost& page) { page.Click(SNRPage::kIdDetectDeadTarget); },
       [](const CDorvaneApp& app) { return (app.EditIdle.FlagsI & 1) != 0; },
       {0, 1, 0, 0}},
      {"dead time",
       [](MemoryDialogHost& page) { page.Type(SNRPage::kIdDeadTime, "42"); },
       [](const CDorvaneApp& app) { return app.EditIdle.DMTOTmI == 42; },
       {0, 1, 0, 0}},
      {"out-of-range minutes",
       [](MemoryDialogHost& page) { page.Click(SNRPage::kIdOutOfRangeMinutes); },
       [](const CDorvaneApp& app) { return (app.EditWalkAway.Flags0WA & 1) != 0; },
       {0, 0, 1, 0}},
      {"in-range minutes",
       [](MemoryDialogHost& page) { page.Click(SNRPage::kIdInRangeMinutes); },
       [](const CDorvaneApp& app) { return (app.EditWalkUp.Flags0WU & 1) != 0; },
       {0, 0, 0, 1}},
  };
  Start(0x0144);
  AdvancedSettings(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.edit(Page());
    ASSERT_EQ(PendingFlags(), c.pending);
    host->ChooseTab(0);
    host->ChooseTab(kSonarTab);
    EXPECT_THAT(PendingFlags(), ElementsAre(0, 0, 0, 0));
    EXPECT_FALSE(Page().Modified());
    EXPECT_TRUE(c.kept(app));
  }
  // The refill shows what the edit copies hold.
  EXPECT_TRUE(Page().IsChecked(SNRPage::kIdDetectDeadTarget));
  EXPECT_EQ(Page().GetText(SNRPage::kIdDeadTime), "42");
  EXPECT_TRUE(Page().IsChecked(SNRPage::kIdOutOfRangeMinutes));
  EXPECT_TRUE(Page().IsChecked(SNRPage::kIdInRangeMinutes));
}

TEST_F(SonarPageTest, ReactivationKeepsSonarEditsWaitingInTheControls) {
  Start(0x0144);
  Page().Type(SNRPage::kIdMinDistance, "20");
  host->ChooseTab(0);
  host->ChooseTab(kSonarTab);
  EXPECT_EQ(Page().GetText(SNRPage::kIdMinDistance), "20");
  EXPECT_TRUE(app.SonarPending);
}

TEST_F(SonarPageTest, WithoutAConfigurationActivationDropsEverythingPending) {
  Start(0x0144);
  Page().Type(SNRPage::kIdMinDistance, "20");
  app.ConfigLoaded = 0;
  host->ChooseTab(0);
  host->ChooseTab(kSonarTab);
  EXPECT_THAT(PendingFlags(), ElementsAre(0, 0, 0, 0));
  EXPECT_FALSE(Page().Modified());
  EXPECT_EQ(Page().GetText(SNRPage::kIdMinDistance), "20");  // no refill
}

struct FailedWriteCase {
  const char* what;
  std::function<void(MemoryDialogHost&)> edit;
  int failingSet;  // counted from the first report of the Apply
  const char* message;
  std::uint32_t CDorvaneApp::*pending;
  std::vector<int> commitsBeforeFailure;
};

void PrintTo(const FailedWriteCase& c, std::ostream* out) {
  *out << c.what;
}

class SonarFailedWriteTest : public SonarPageTest,
                             public ::testing::WithParamInterface<FailedWriteCase> {};

TEST_P(SonarFailedWriteTest, IsReportedKeptPendingAndKeepsOkFromClosing) {
  const FailedWriteCase& c = GetParam();
  Start(0x0144);
  AdvancedSettings(true);
  c.edit(Page());
  sensor->FailAt(emu::Direction::Set, c.failingSet);

  EXPECT_FALSE(host->PressOk());
  EXPECT_FALSE(host->Closed());
  EXPECT_THAT(Page().Record().MessageTexts(), ElementsAre(c.message));
  EXPECT_THAT(Commits(), ::testing::ElementsAreArray(c.commitsBeforeFailure));
  EXPECT_TRUE(app.*c.pending);
  EXPECT_TRUE(Page().Modified());
  EXPECT_TRUE(host->ApplyEnabled());
  EXPECT_EQ(Page().Record().Pauses().size(), c.commitsBeforeFailure.size());

  // The next OK writes what failed, and closes.
  sensor->ClearTrace();
  EXPECT_TRUE(host->PressOk());
  EXPECT_THAT(PendingFlags(), ElementsAre(0, 0, 0, 0));
  EXPECT_EQ(Commits().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Records, SonarFailedWriteTest,
    ::testing::Values(
        FailedWriteCase{"Sonar",
                        [](MemoryDialogHost& page) { page.Type(SNRPage::kIdMinDistance, "20"); },
                        2,
                        "Failed to Write the device Features (Sonar)!",
                        &CDorvaneApp::SonarPending,
                        {}},
        FailedWriteCase{"Idle",
                        [](MemoryDialogHost& page) { page.Type(SNRPage::kIdDeadTime, "42"); },
                        1,
                        "Failed to Write the device Features (Idle)!",
                        &CDorvaneApp::IdlePendingSonar,
                        {}},
        FailedWriteCase{"IdleAfterSonar",
                        [](MemoryDialogHost& page) {
                          page.Type(SNRPage::kIdMinDistance, "20");
                          page.Type(SNRPage::kIdDeadTime, "42");
                        },
                        // Each record: its read to compare, request, data,
                        // commit; the idle record's write request.
                        6,
                        "Failed to Write the device Features (Idle)!",
                        &CDorvaneApp::IdlePendingSonar,
                        {0x01}},
        FailedWriteCase{"WalkAway",
                        [](MemoryDialogHost& page) { page.Click(SNRPage::kIdOutOfRangeMinutes); },
                        3,
                        "Failed to Write the device Features (WalkAway)!",
                        &CDorvaneApp::WalkAwayPendingSonar,
                        {}},
        FailedWriteCase{"WalkUp",
                        [](MemoryDialogHost& page) { page.Click(SNRPage::kIdInRangeMinutes); },
                        5,
                        "Failed to Write the device Features (WalkUp)!",
                        &CDorvaneApp::WalkUpPendingSonar,
                        {}}),
    [](const ::testing::TestParamInfo<FailedWriteCase>& info) { return info.param.what; });

TEST_F(SonarPageTest, ApplyWritesTheSonarThenTheIdleRecordWithAPauseAfterEach) {
  Start(0x0144);
  AdvancedSettings(true);
  Page().Type(SNRPage::kIdMinDistance, "20");
  ASSERT_TRUE(Page().Click(SNRPage::kIdNearTargetFault));  // also marks the sonar record
  Page().Type(SNRPage::kIdDeadDelta, "10");
  Page().Type(SNRPage::kIdDeadTime, "300");
  Page().Type(SNRPage::kIdBlanking, "7");
  const std::uint64_t before = clock.NowMs();

  EXPECT_TRUE(host->PressApply());
  EXPECT_THAT(Commits(), ElementsAre(0x01, 0x20));
  EXPECT_THAT(Page().Record().Pauses(), ElementsAre(1000, 1000));
  // Each record: read again to compare (250 ms), its request, 250 ms for
  // the sensor, its data, the commit.
  EXPECT_EQ(clock.NowMs() - before, 2 * 1000u + 2 * (250u + 250u));
  EXPECT_EQ(Block(kSonarBlock)[kMinByte], 69);  // 20 inches: 69.44 ticks
  const emu::Block idle = Block(kIdleBlock);
  EXPECT_EQ(idle[4], 0x02);        // FlagsI: near target is a fault
  EXPECT_EQ(idle[5], 34);          // 10 inches x 3.472
  EXPECT_EQ(idle[6], 300 & 0xFF);  // the dead time keeps its low byte
  EXPECT_EQ(idle[7], 7);
  EXPECT_EQ(Page().Record().WaitCursorDepth(), 0);
}

}  // namespace
}  // namespace kv::ui::testing
