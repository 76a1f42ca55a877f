#include "memory_dialog_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <kv7700/clock.h>

#include "recording_events.h"

namespace kv::ui {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class MemoryDialogHostTest : public ::testing::Test {
 protected:
  void SetUp() override { dialog.SetEvents(&events); }

  MemoryDialogHost dialog{110};  // the Misc page: edits, boxes, radios, buttons
  testing::RecordingEvents events;
};

TEST_F(MemoryDialogHostTest, SettingAnEditFromCodeNotifiesLikeTyping) {
  dialog.SetText(1055, "500");
  dialog.SetText(1055, "500");  // the same text notifies again
  dialog.SetNumber(1050, 7);
  dialog.SetText(1033, "Reset");  // a button's caption raises nothing
  dialog.SetText(1057, "rate");   // nor does a label's
  EXPECT_THAT(events.log, ElementsAre("text 1055", "text 1055", "text 1050"));
  EXPECT_EQ(dialog.GetText(1033), "Reset");
  EXPECT_EQ(dialog.GetNumber(1050), 7u);
}

TEST_F(MemoryDialogHostTest, CheckingFromCodeRaisesNoClickButTheUsersClickDoes) {
  dialog.SetChecked(1039, true);
  dialog.SetChecked(1040, true);
  EXPECT_THAT(events.log, IsEmpty());

  EXPECT_TRUE(dialog.Click(1039));  // toggles off
  EXPECT_FALSE(dialog.IsChecked(1039));
  EXPECT_TRUE(dialog.Click(1041));  // a radio unchecks its group
  EXPECT_FALSE(dialog.IsChecked(1040));
  EXPECT_TRUE(dialog.IsChecked(1041));
  EXPECT_TRUE(dialog.Click(1033));  // a push button only notifies
  EXPECT_THAT(events.log, ElementsAre("click 1039", "click 1041", "click 1033"));
}

TEST_F(MemoryDialogHostTest, ListChangesFromCodeRaiseNoSelectionChange) {
  MemoryDialogHost keys(108);
  keys.SetEvents(&events);
  keys.AddListEntry(1015, "[NONE]", 0);
  keys.AddListEntry(1015, "A", 4);
  keys.SetListSelection(1015, 1);
  keys.ResetList(1015);
  keys.AddListEntry(1015, "B", 5);
  EXPECT_THAT(events.log, IsEmpty());
  EXPECT_EQ(keys.GetListSelection(1015), -1);

  EXPECT_TRUE(keys.Choose(1015, "B"));
  EXPECT_FALSE(keys.Choose(1015, 1));  // no such entry
  EXPECT_THAT(events.log, ElementsAre("select 1015"));
  EXPECT_EQ(keys.GetListData(1015, keys.GetListSelection(1015)), 5);
}

TEST_F(MemoryDialogHostTest, TheUserCannotReachDisabledHiddenOrReadOnlyControls) {
  EXPECT_FALSE(dialog.Click(1053));       // "Clone Data Saved" is an indicator
  EXPECT_FALSE(dialog.Type(1050, "12"));  // read-only range text
  dialog.SetVisible(1042, false);
  EXPECT_FALSE(dialog.Click(1042));
  EXPECT_FALSE(dialog.Click(9999));
  EXPECT_FALSE(dialog.Click(1057));  // a label takes no click
  EXPECT_THAT(events.log, IsEmpty());

  // Code may still set them.
  dialog.SetChecked(1053, true);
  EXPECT_TRUE(dialog.IsChecked(1053));
}

TEST_F(MemoryDialogHostTest, DigitsOnlyEditsDropOtherCharactersAsTyped) {
  EXPECT_TRUE(dialog.Type(1055, "1a2-3"));
  EXPECT_EQ(dialog.GetText(1055), "123");
  EXPECT_TRUE(dialog.Type(1055, "abc"));
  EXPECT_EQ(dialog.GetText(1055), "");
  EXPECT_THAT(events.log, ElementsAre("text 1055", "text 1055"));
}

TEST(DialogHostNumberTest, ReadsAsTheOriginalPlatformDoes) {
  MemoryDialogHost dialog(110);
  const struct {
    const char* text;
    std::uint32_t value;
  } cases[] = {{"", 0},           {"abc", 0},        {"12", 12},
               {"  7", 7},        {"12a", 0},        {"-5", 0},
               {"   ", 0},        {"0042", 42},      {"4294967295", 4294967295u},
               {"4294967296", 0}, {"99999999999", 0}};
  for (const auto& c : cases) {
    dialog.SetText(1050, c.text);
    EXPECT_EQ(dialog.GetNumber(1050), c.value) << '"' << c.text << '"';
  }
  EXPECT_EQ(dialog.GetNumber(4711), 0u);  // no such control
}

TEST(MemoryDialogHostTemplateTest, ControlsStartInTheTemplatesState) {
  MemoryDialogHost sonar(107);
  EXPECT_FALSE(sonar.IsEnabled(1066));
  EXPECT_TRUE(sonar.IsVisible(1066));
  EXPECT_FALSE(sonar.IsVisible(1023));
  EXPECT_FALSE(sonar.IsEnabled(1023));
  EXPECT_TRUE(sonar.IsEnabled(1026));
  EXPECT_EQ(sonar.GetText(1047), "( 0 to 255 sec )");
  EXPECT_FALSE(sonar.HasControl(kIdStatic));
  EXPECT_THROW(MemoryDialogHost(4711), std::invalid_argument);
}

TEST(MemoryDialogHostRecordTest, RecordsWhatTheLogicAskedOfTheWindow) {
  VirtualClock clock;
  SetClock(&clock);
  MemoryDialogHost dialog(110);
  testing::RecordingEvents events;
  dialog.SetEvents(&events);

  dialog.Pause(1000);
  dialog.Pause(250);
  EXPECT_EQ(clock.SleptMs(), 1250u);
  EXPECT_THAT(dialog.Record().Pauses(), ElementsAre(1000u, 250u));

  dialog.Record().AnswerNextMessage(MessageResult::Cancel);
  EXPECT_EQ(dialog.ShowMessage({"first", "Cap", MessageIcon::Warning, MessageButtons::OkCancel}),
            MessageResult::Cancel);
  EXPECT_EQ(dialog.ShowMessage({"second", "Cap", MessageIcon::None, MessageButtons::YesNo}),
            MessageResult::Yes);
  EXPECT_THAT(dialog.Record().MessageTexts(), ElementsAre("first", "second"));
  EXPECT_EQ(dialog.Record().Messages()[0].icon, MessageIcon::Exclamation);

  {
    WaitCursor outer(dialog);
    WaitCursor inner(dialog);
    EXPECT_EQ(dialog.Record().WaitCursorDepth(), 2);
  }
  EXPECT_EQ(dialog.Record().WaitCursorDepth(), 0);
  EXPECT_EQ(dialog.Record().WaitCursorUses(), 1);

  EXPECT_EQ(dialog.StartTimer(1025, 500), 1025u);
  EXPECT_TRUE(dialog.FireTimer(1025));
  dialog.KillTimer(1025);
  EXPECT_FALSE(dialog.FireTimer(1025));
  EXPECT_THAT(events.log, ElementsAre("timer 1025"));

  dialog.Beep(1000, 1000);
  EXPECT_EQ(dialog.Beeps().size(), 1u);

  dialog.AnswerNextSaveFile("/tmp/x.cfg");
  EXPECT_EQ(dialog.AskSaveFile(), "/tmp/x.cfg");
  EXPECT_EQ(dialog.AskOpenFile(), std::nullopt);  // unscripted: cancelled
  EXPECT_EQ(dialog.SaveFileAsked(), 1);

  dialog.SetModified(true);
  dialog.SetModified(false);
  EXPECT_FALSE(dialog.Modified());
  EXPECT_THAT(dialog.ModifiedHistory(), ElementsAre(true, false));
  SetClock(nullptr);
}

}  // namespace
}  // namespace kv::ui
