// Another program changes a record while the window is open: the window's
// next write of that record reads it again under the write's hold, asks the
// user before overwriting, and keeps the user's own edits.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sonar_page_fixture.h"

namespace kv::ui::testing {
namespace {

using ::testing::HasSubstr;

struct AnswerCase {
  const char* name;
  MessageResult answer;
  bool othersKept;   // the other program's ping rate stays on the sensor
  bool userWritten;  // the user's minimum distance reached the sensor
};

const AnswerCase kAnswers[] = {
    {"keep the sensor's values", MessageResult::Yes, true, true},
    {"overwrite", MessageResult::No, false, true},
    {"cancel", MessageResult::Cancel, true, false},
};

void PrintTo(const AnswerCase& c, std::ostream* out) {
  *out << c.name;
}

class CompareBeforeWriteTest : public SonarPageTest,
                               public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(CompareBeforeWriteTest, AChangeByAnotherProgramIsNotOverwrittenUnasked) {
  const AnswerCase& answer = GetParam();
  Start(0x0144);
  AdvancedSettings(true);
  const std::uint8_t windowsPing = Block(kSonarBlock)[kPingByte];
  // Another program writes the ping rate; the user edits the minimum distance.
  sensor->Working()[kSonarBlock][kPingByte] = static_cast<std::uint8_t>(windowsPing + 25);
  Page().Type(SNRPage::kIdMinDistance, "20");
  host->Record().AnswerNextMessage(answer.answer);

  host->PressApply();
  ASSERT_EQ(host->Record().Messages().size(), 1u);
  EXPECT_THAT(host->Record().Messages()[0].text,
              HasSubstr("Another program changed the sonar settings"));
  EXPECT_THAT(host->Record().Messages()[0].text, HasSubstr("PingRateS: was"));
  const emu::Block sonar = Block(kSonarBlock);
  EXPECT_EQ(sonar[kPingByte], answer.othersKept ? windowsPing + 25 : windowsPing);
  EXPECT_EQ(sonar[kMinByte] == 69, answer.userWritten);  // 20 inches: 69 ticks
  EXPECT_EQ(app.SonarPending != 0, !answer.userWritten) << "a cancelled edit stays pending";
}

INSTANTIATE_TEST_SUITE_P(Answers, CompareBeforeWriteTest, ::testing::ValuesIn(kAnswers),
                         [](const ::testing::TestParamInfo<AnswerCase>& info) {
                           std::string name = info.param.name;
                           std::erase(name, ' ');
                           std::erase(name, '\'');
                           return name;
                         });

TEST_F(SonarPageTest, ARecordNobodyElseChangedIsWrittenWithoutAQuestion) {
  Start(0x0144);
  AdvancedSettings(true);
  Page().Type(SNRPage::kIdMinDistance, "20");
  EXPECT_TRUE(host->PressApply());
  EXPECT_TRUE(host->Record().Messages().empty());
  EXPECT_EQ(Block(kSonarBlock)[kMinByte], 69);
  // The next write compares with what this one wrote: still no question.
  Page().Type(SNRPage::kIdMinDistance, "21");
  EXPECT_TRUE(host->PressApply());
  EXPECT_TRUE(host->Record().Messages().empty());
}

}  // namespace
}  // namespace kv::ui::testing
