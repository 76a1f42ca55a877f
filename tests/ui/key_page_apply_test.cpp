// Key sets, presets, page commands and the Apply of both key pages, as the
// sensor receives them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "key_page.h"
#include "key_page_fixture.h"

namespace kv::ui::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr KeySet kNone{};

TEST_P(TwinPageTest, FilledSetsCloseUpOnWriteAndComeBackInOrder) {
  Start();
  ASSERT_TRUE(Page().Click(1039));  // RShft of set 1, beside the sensor's Ctrl+Alt
  ASSERT_TRUE(Page().Choose(1015, "A"));
  ASSERT_TRUE(Page().Choose(1017, "C"));
  // Edits survive a visit to another page.
  host->ChooseTab(2);
  host->ChooseTab(twin.pageIndex);
  EXPECT_TRUE(host->PressApply());

  EXPECT_EQ(KeysBlock(twin)[0], 2);
  EXPECT_THAT(SensorSlots(twin), ElementsAre(KeySet{0x25, 0x04}, KeySet{0, 0x06}, kNone, kNone));
  EXPECT_EQ(Writes(twin), 1u);

  ASSERT_NE(app.RefreshConfigFmDev(), 0);
  host->ChooseTab(2);
  host->ChooseTab(twin.pageIndex);
  EXPECT_EQ(Page().GetText(1011), "4");
  EXPECT_TRUE(Page().IsChecked(1039));
  EXPECT_TRUE(Page().IsChecked(1003));
  EXPECT_EQ(Page().GetText(1012), "6");
  EXPECT_EQ(Page().GetText(1013), "0");
  EXPECT_EQ(Page().GetText(1021), "0");
}

TEST_P(TwinPageTest, AFailedWriteIsReportedAndTheNextApplyWritesAgain) {
  Start();
  ASSERT_TRUE(Page().Choose(1015, "Z"));
  sensor->FailAt(emu::Direction::Set, 2);  // the record's first data report

  EXPECT_FALSE(host->PressOk());
  EXPECT_FALSE(host->Closed());
  EXPECT_THAT(Page().Record().MessageTexts(), ElementsAre(twin.writeFailure));
  EXPECT_EQ(app.*twin.pending, 1u);
  EXPECT_TRUE(Page().Modified());
  EXPECT_THAT(Page().Record().Pauses(), IsEmpty());
  EXPECT_EQ(CodesBlock(twin)[2], 0x4C) << "nothing was committed";

  // Showing the page again keeps the edits that were not written.
  host->ChooseTab(2);
  host->ChooseTab(twin.pageIndex);
  EXPECT_EQ(Page().GetText(1011), "29");

  const std::uint64_t before = clock.NowMs();
  EXPECT_TRUE(host->PressOk());
  EXPECT_EQ(CodesBlock(twin)[2], 0x1D);
  EXPECT_THAT(Page().Record().Pauses(), ElementsAre(1000));
  EXPECT_GE(clock.NowMs() - before, 1000u);
  EXPECT_EQ(app.*twin.pending, 0u);
  EXPECT_FALSE(Page().Modified());
}

TEST_P(TwinPageTest, WordsThePageDoesNotOwnSurviveLoadStoreAndApply) {
  CodesBlock(twin)[1] = 0x37;  // MinFltRepRate, or Reserved2WU
  Start();
  EditWord(twin, 8) = 0x0B;  // Flags0, the Sonar page's
  EditWord(twin, 6) = 0x22;  // slot 5 is never written by the page
  EditWord(twin, 14) = 0x33;
  if (!twin.hasFaultSendRate) {
    app.EditWalkUp.Reserved2WU = 0x1234;
  }
  Command(CMD_REFRESH_PAGES, 0);
  ASSERT_TRUE(Page().Choose(1016, "Q"));
  EXPECT_TRUE(host->PressApply());

  EXPECT_EQ(EditWord(twin, 8), 0x0B);
  EXPECT_EQ(EditWord(twin, 6), 0x22);
  EXPECT_EQ(EditWord(twin, 14), 0x33);
  EXPECT_EQ(CodesBlock(twin)[0], 0x0B);
  EXPECT_EQ(KeysBlock(twin)[6], 0x22);
  EXPECT_EQ(CodesBlock(twin)[6], 0x33);
  // Walk-To: the sensor gets back the Reserved2WU it last reported.
  EXPECT_EQ(CodesBlock(twin)[1], 0x37);
  if (!twin.hasFaultSendRate) {
    EXPECT_EQ(app.EditWalkUp.Reserved2WU, 0x1234);
  }
}

TEST_P(TwinPageTest, RefreshLeavesTheAdvancedFieldsDisabledAndOneMarksTheRecordPending) {
  Start();
  const std::vector<int> advanced = twin.hasFaultSendRate
                                        ? std::vector<int>{kIdInterKeyDelay, kIdFaultSendRate}
                                        : std::vector<int>{kIdInterKeyDelay};
  Advanced();
  for (int id : advanced) {
    EXPECT_TRUE(Page().IsEnabled(id)) << id;
  }
  Command(CMD_REFRESH_PAGES, 0);
  for (int id : advanced) {
    EXPECT_FALSE(Page().IsEnabled(id)) << id;
  }
  EXPECT_FALSE(Page().Modified());

  // After a restore from a file the reloaded record goes out unedited.
  Command(CMD_REFRESH_PAGES, 1);
  EXPECT_TRUE(Page().Modified());
  EXPECT_TRUE(host->PressApply());
  EXPECT_EQ(Writes(twin), 1u);
}

// The Sonar page's minutes box edits the same record: one Apply writes it
// once, from the Sonar page, with both changes.
TEST_P(TwinPageTest, AnEditSharedWithTheSonarPageWritesTheRecordOnceWithBoth) {
  Start();
  ASSERT_TRUE(Page().Choose(1015, "M"));
  const int minutesBox = twin.pageIndex == 0 ? 1065 : 1064;
  ASSERT_TRUE(host->PageDialog(2)->Click(minutesBox));

  EXPECT_TRUE(host->PressApply());
  EXPECT_EQ(Writes(twin), 1u);
  EXPECT_EQ(app.*twin.pending, 0u);
  EXPECT_EQ(app.*twin.pendingSonar, 0u);
  EXPECT_FALSE(Page().Modified());
  EXPECT_THAT(Page().Record().Pauses(), ElementsAre(1000));
  EXPECT_EQ(CodesBlock(twin)[0], 0x01);
  EXPECT_EQ(CodesBlock(twin)[2], 0x10);
}

// TwinPageTest runs on both pages: instantiated in key_page_delay_test.cpp.

// Presets 1 to 4 go to both pages at once, as the Misc page sends them.
TEST_F(KeyPageTest, QuickSetupPresetsWriteTheirKeySetsOnBothPages) {
  struct Row {
    int preset;
    std::vector<KeySet> walkAway;
    std::vector<KeySet> walkUp;
  };
  const KeySet ctrlAltDel{0x05, 0x4C};
  const KeySet guiL{0x08, 0x0F};
  const Row rows[] = {
      {1, {ctrlAltDel, {0, 0x0E}, {0, 0x2A}, {0, 0x29}}, {ctrlAltDel, kNone, kNone, kNone}},
      {2, {guiL, kNone, kNone, kNone}, {kNone, kNone, kNone, kNone}},
      {3, {kNone, kNone, kNone, kNone}, {kNone, kNone, kNone, kNone}},
      {4, {guiL, kNone, kNone, kNone}, {ctrlAltDel, kNone, kNone, kNone}},
  };
  Start();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.preset);
    Command(CMD_QUICK_SETUP, row.preset);
    EXPECT_TRUE(PageOf(kWalkAwayTwin).Modified());
    EXPECT_TRUE(host->PressApply());
    for (const auto& [twin, expected] :
         {std::pair{kWalkAwayTwin, row.walkAway}, std::pair{kWalkUpTwin, row.walkUp}}) {
      SCOPED_TRACE(twin.name);
      const auto filled = std::count_if(expected.begin(), expected.end(),
                                        [](const KeySet& keys) { return !keys.Empty(); });
      EXPECT_EQ(KeysBlock(twin)[0], filled);
      EXPECT_THAT(SensorSlots(twin), ElementsAreArray(expected));
      EXPECT_EQ(KeysBlock(twin)[1], 2) << "the delay is not part of a preset";
    }
  }
}

}  // namespace
}  // namespace kv::ui::testing
