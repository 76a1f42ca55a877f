// The delay between key presses on both key pages, as the sensor receives it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app_version.h"
#include "key_page.h"
#include "key_page_fixture.h"

namespace kv::ui::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The sensor never reports less than 64 (the library raises it), but a
// template file may hold 0.
TEST_P(TwinPageTest, AStoredDelayOf0ShowsAs64AndStaysInTheEditCopy) {
  CodesBlock(twin)[1] = 9;  // MinFltRepRate on the Walk-Away page
  Start();
  EditWord(twin, 1) = 0;
  Command(CMD_REFRESH_PAGES, 0);
  EXPECT_EQ(Page().GetText(kIdInterKeyDelay), "64");
  EXPECT_EQ(LastDelay(twin), 64);
  EXPECT_EQ(EditWord(twin, 1), 0);
  if (twin.hasFaultSendRate) {
    EXPECT_EQ(Page().GetText(kIdFaultSendRate), "9");
  }
  EXPECT_FALSE(Page().Modified());
  EXPECT_EQ(app.*twin.pending, 0u);
}

// Each row is typed and applied in turn, after a key change that must
// reach the sensor whatever becomes of the delay.
TEST_P(TwinPageTest, DelaysOutsideTheRangeAreRefusedWhileTheKeysStillGoOut) {
  struct Row {
    const char* typed;
    bool accepted;
  };
  const Row rows[] = {{"20000", false}, {"65600", false}, {"16320", true}, {"16321", false},
                      {"63", false},    {"64", true},     {"", false}};
  Start();
  Advanced();
  std::uint16_t good = 128;
  std::uint8_t key = 0x04;  // "A", then "B"...
  std::uint16_t typedFaultRate = 0;
  std::uint16_t faultRate = 0;  // as the sensor holds it
  for (const Row& row : rows) {
    SCOPED_TRACE(row.typed);
    Page().Record().ClearMessages();
    ASSERT_TRUE(Page().Choose(1015, std::string(1, static_cast<char>('A' + key - 0x04))));
    ASSERT_TRUE(Page().Type(kIdInterKeyDelay, row.typed));
    if (twin.hasFaultSendRate) {
      ASSERT_TRUE(Page().Type(kIdFaultSendRate, std::to_string(++typedFaultRate)));
    }
    EXPECT_TRUE(host->PressApply());

    if (row.accepted) {
      good = static_cast<std::uint16_t>(std::stoul(row.typed));
      faultRate = typedFaultRate;
      EXPECT_THAT(Page().Record().Messages(), IsEmpty());
    } else {
      ASSERT_EQ(Page().Record().Messages().size(), 1u);
      const MessageRequest& shown = Page().Record().Messages()[0];
      EXPECT_EQ(shown.text, "Inter-Key Delay must be >= 64 and <= 16320 msec!");
      EXPECT_EQ(shown.caption, kDefaultAppName);
      EXPECT_EQ(shown.icon, MessageIcon::None);
      EXPECT_EQ(shown.buttons, MessageButtons::Ok);
      EXPECT_EQ(Page().GetText(kIdInterKeyDelay), std::to_string(good));
    }
    EXPECT_EQ(LastDelay(twin), good);
    EXPECT_EQ(EditWord(twin, 1), good);
    EXPECT_EQ(KeysBlock(twin)[1], good / 64);
    EXPECT_EQ(CodesBlock(twin)[2], key) << "the keys are written whatever the delay";
    if (twin.hasFaultSendRate) {
      EXPECT_EQ(app.EditWalkAway.MinFltRepRate, faultRate);
      EXPECT_EQ(CodesBlock(twin)[1], faultRate);
    }
    EXPECT_FALSE(Page().Modified());
    ++key;
  }
}

TEST_P(TwinPageTest, WithoutKeysTheDelayIsNotTestedAndTheLibrarysRefusalIsReported) {
  Start();
  Advanced();
  for (int list : {1015, 1016, 1017, 1022}) {
    ASSERT_TRUE(Page().Choose(list, "[NONE]"));
  }
  Page().Type(kIdInterKeyDelay, "20000");
  EXPECT_FALSE(host->PressOk()) << "a record that was not written keeps the sheet open";
  EXPECT_FALSE(host->Closed());
  EXPECT_THAT(Page().Record().MessageTexts(), ElementsAre(twin.writeFailure));
  EXPECT_EQ(Writes(twin), 0u);
  EXPECT_EQ(app.*twin.pending, 1u);
  EXPECT_TRUE(Page().Modified());
  EXPECT_THAT(Page().Record().Pauses(), IsEmpty());

  // The next Apply stores and tries again.
  Page().Type(kIdInterKeyDelay, "640");
  EXPECT_TRUE(host->PressApply());
  EXPECT_EQ(Writes(twin), 1u);
  EXPECT_EQ(KeysBlock(twin)[0], 0);
  EXPECT_EQ(KeysBlock(twin)[1], 10);
  EXPECT_THAT(SensorSlots(twin), ElementsAre(KeySet{}, KeySet{}, KeySet{}, KeySet{}));
  EXPECT_FALSE(Page().Modified());
}

TEST_P(TwinPageTest, ADelayOf100ComesBackFromTheSensorAs64) {
  Start();
  Advanced();
  Page().Type(kIdInterKeyDelay, "100");
  EXPECT_TRUE(host->PressApply());
  EXPECT_EQ(KeysBlock(twin)[1], 1);
  EXPECT_EQ(Page().GetText(kIdInterKeyDelay), "100");

  ASSERT_NE(app.RefreshConfigFmDev(), 0);
  host->ChooseTab(2);
  host->ChooseTab(twin.pageIndex);
  EXPECT_EQ(Page().GetText(kIdInterKeyDelay), "64");
  EXPECT_EQ(EditWord(twin, 1), 64);
}

INSTANTIATE_TEST_SUITE_P(KeyPages, TwinPageTest, ::testing::Values(kWalkAwayTwin, kWalkUpTwin),
                         TwinName);

}  // namespace
}  // namespace kv::ui::testing
