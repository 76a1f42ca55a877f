// The desktop session ends while the sheet is busy: key sends the user halted
// are resumed before the program ends, after the work under way.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "memory_runner.h"
#include "misc_page_fixture.h"

namespace kv::ui::testing {
namespace {

using ::testing::ElementsAre;

class SessionEndTest : public MiscPageTest, public ::testing::WithParamInterface<bool> {
 protected:
  MemoryRunner worker;
};

TEST_P(SessionEndTest, ResumesTheKeySendsTheUserHaltedAfterTheReadingUnderWay) {
  const bool messageOpen = GetParam();
  auto sensor = Plug(0x0144);
  StartOnMisc();
  host->ClickHaltKeySends();
  ASSERT_TRUE(Misc().Click(MiscPage::kIdAutoRange));
  app.SetRunner(&worker);
  sensor->ClearTrace();

  PropSheet& sheet = *app.Sheet();
  const auto endSession = [&] {
    host->PressCancel();  // held: a handler runs
    sheet.EndSession();
  };
  if (messageOpen) {
    // The reading fails and its message box waits for an answer.
    sensor->FailAt(emu::Direction::Get, 1);
    Misc().Record().WhileMessageOpen(endSession);
  } else {
    // Taken by the window thread while the reading runs on the worker.
    worker.PostToWindow(endSession);
  }
  ASSERT_TRUE(Misc().FireTimer(MiscPage::RANGE_TIMER_ID));

  EXPECT_THAT(Commands(*sensor), ElementsAre(0x8F, 0xB0));
  EXPECT_FALSE(sensor->KeySendsHalted());
  EXPECT_TRUE(host->Closed());
  EXPECT_EQ(Misc().Record().Messages().size(), messageOpen ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(ReadingOrMessage, SessionEndTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "MessageBoxOpen" : "DuringReading";
                         });

}  // namespace
}  // namespace kv::ui::testing
