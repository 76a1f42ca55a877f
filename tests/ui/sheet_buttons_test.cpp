// "Halt Key Sends", OK, Apply, Cancel and the window's close button.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sheet_fixture.h"

namespace kv::ui::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class HaltKeySendsTest : public SheetTest, public ::testing::WithParamInterface<bool> {};

TEST_P(HaltKeySendsTest, IsResumedBeforeTheSheetCloses) {
  const bool titleBar = GetParam();
  auto sensor = Plug(0x0144);
  Start();
  sensor->ClearTrace();
  host->Record().ClearPauses();
  clock.ResetSlept();

  host->ClickHaltKeySends();
  EXPECT_TRUE(sensor->KeySendsHalted());
  titleBar ? host->CloseByTitleBar() : host->PressCancel();
  EXPECT_TRUE(host->Closed());
  EXPECT_FALSE(sensor->KeySendsHalted());
  EXPECT_THAT(KeySendCommands(*sensor), ElementsAre(0xB1, 0xB0));
  // Each settle time spent inside the send's hold, not in a pause after it.
  EXPECT_EQ(clock.SleptMs(), 2 * kKeySendSettleMs);
  EXPECT_THAT(host->Record().Pauses(), IsEmpty());
  EXPECT_TRUE(host->HaltKeySendsChecked());  // the box is not cleared
}

INSTANTIATE_TEST_SUITE_P(CancelAndCloseButton, HaltKeySendsTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "CloseButton" : "Cancel";
                         });

TEST_F(SheetTest, UntickingResumesAndAnUntickedBoxSendsNothingOnClose) {
  auto sensor = Plug(0x0144);
  Start();
  sensor->ClearTrace();
  host->ClickHaltKeySends();
  host->ClickHaltKeySends();
  host->PressCancel();
  EXPECT_THAT(KeySendCommands(*sensor), ElementsAre(0xB1, 0xB0));
  EXPECT_EQ(host->Record().WaitCursorDepth(), 0);
}

TEST_F(SheetTest, ApplySendsNothingForTheBoxAndOkResumes) {
  auto sensor = Plug(0x0144);
  StartWithRecordingPages();
  host->ClickHaltKeySends();
  sensor->ClearTrace();
  log.clear();

  EXPECT_TRUE(host->PressApply());
  EXPECT_THAT(sensor->Trace(), IsEmpty());
  EXPECT_THAT(log, ElementsAre("Walk-Away apply", "Walk-To apply", "Sonar apply", "Misc. apply"));

  EXPECT_TRUE(host->PressOk());
  EXPECT_THAT(KeySendCommands(*sensor), ElementsAre(0xB0));
}

TEST_F(SheetTest, OkKeepsTheSheetOpenWhenAPageRefusesAndHaltsAgain) {
  auto sensor = Plug(0x0144);
  StartWithRecordingPages();
  host->ClickHaltKeySends();
  sensor->ClearTrace();
  log.clear();
  pages[0]->acceptApply = false;

  EXPECT_FALSE(host->PressOk());
  EXPECT_FALSE(host->Closed());
  // Every page still had its say, so no other page's edits wait.
  EXPECT_THAT(log, ElementsAre("Walk-Away apply", "Walk-To apply", "Sonar apply", "Misc. apply"));
  // Resumed before applying, halted again since the sheet stays open.
  EXPECT_THAT(KeySendCommands(*sensor), ElementsAre(0xB0, 0xB1));
  EXPECT_TRUE(sensor->KeySendsHalted());

  pages[0]->acceptApply = true;
  EXPECT_TRUE(host->PressOk());
  EXPECT_FALSE(sensor->KeySendsHalted());
}

TEST_F(SheetTest, AFailedKeySendControlStillWaits) {
  auto sensor = Plug(0x0144);
  Start();
  clock.ResetSlept();
  sensor->Vanish();
  host->ClickHaltKeySends();
  EXPECT_EQ(clock.SleptMs(), kKeySendSettleMs);
  EXPECT_THAT(host->Record().Messages(), IsEmpty());
}

}  // namespace
}  // namespace kv::ui::testing
