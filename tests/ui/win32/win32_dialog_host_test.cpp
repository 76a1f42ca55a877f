// The notification rules every host keeps, on the platform's own controls.
#include <gmock/gmock.h>

#include "win32_fixture.h"

namespace kv::ui::win32 {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class Win32DialogHostTest : public Win32DialogTest {};

TEST_F(Win32DialogHostTest, SettingAnEditFromCodeNotifiesOnceLikeTyping) {
  dialog_.SetText(1055, "500");
  dialog_.SetText(1055, "500");  // the same text notifies again
  dialog_.SetText(1050, "");
  dialog_.SetText(1050, "");       // so does empty over empty, which the edit keeps quiet
  dialog_.SetText(1033, "Reset");  // a button's caption raises nothing
  dialog_.SetText(1057, "rate");   // nor does a label's
  EXPECT_THAT(events_.log, ElementsAre("text 1055", "text 1055", "text 1050", "text 1050"));
  EXPECT_EQ(dialog_.GetText(1055), "500");
  EXPECT_EQ(dialog_.GetText(1033), "Reset");

  events_.log.clear();
  SendMessageW(Control(1055), WM_CHAR, '7', 0);  // the user types
  EXPECT_THAT(events_.log, ElementsAre("text 1055"));
  EXPECT_EQ(dialog_.GetNumber(1055), 7500u);  // typed where the caret was, at the start
}

TEST_F(Win32DialogHostTest, CheckingFromCodeRaisesNoClickButTheUsersClickDoes) {
  dialog_.SetChecked(1039, true);
  dialog_.SetChecked(1040, true);
  EXPECT_THAT(events_.log, IsEmpty());
  EXPECT_TRUE(dialog_.IsChecked(1039));

  SendMessageW(Control(1039), BM_CLICK, 0, 0);  // toggles off
  EXPECT_FALSE(dialog_.IsChecked(1039));
  SendMessageW(Control(1041), BM_CLICK, 0, 0);  // a radio unchecks its group
  EXPECT_FALSE(dialog_.IsChecked(1040));
  EXPECT_TRUE(dialog_.IsChecked(1041));
  SendMessageW(Control(1033), BM_CLICK, 0, 0);  // a push button only notifies
  EXPECT_THAT(events_.log, ElementsAre("click 1039", "click 1041", "click 1033"));
}

TEST_F(Win32DialogHostTest, ControlsStartAsTheTemplateSays) {
  for (const ControlTemplate& control : dialog_.Template().controls) {
    if (control.id == kIdStatic) {
      continue;
    }
    SCOPED_TRACE(control.id);
    EXPECT_TRUE(dialog_.HasControl(control.id));
    EXPECT_EQ(dialog_.IsEnabled(control.id), !control.disabled);
    EXPECT_EQ(dialog_.IsVisible(control.id), !control.hidden);
    EXPECT_EQ(dialog_.IsChecked(control.id), control.checked);
  }
}

TEST_F(Win32DialogHostTest, AnIdTheDialogLacksDoesNothingAndReadsEmpty) {
  constexpr int kMissing = 4242;
  dialog_.SetText(kMissing, "x");
  dialog_.SetChecked(kMissing, true);
  dialog_.SetEnabled(kMissing, true);
  EXPECT_FALSE(dialog_.HasControl(kMissing));
  EXPECT_EQ(dialog_.GetText(kMissing), "");
  EXPECT_FALSE(dialog_.IsChecked(kMissing));
  EXPECT_FALSE(dialog_.IsEnabled(kMissing));
  EXPECT_FALSE(dialog_.IsVisible(kMissing));
  EXPECT_EQ(dialog_.AddListEntry(kMissing, "x", 1), -1);
  EXPECT_EQ(dialog_.GetListSelection(kMissing), -1);
  EXPECT_FALSE(dialog_.IsChecked(1055));  // an edit is never checked
  EXPECT_THAT(events_.log, IsEmpty());
}

class Win32KeyListTest : public Win32DialogTest {
 protected:
  Win32KeyListTest() : Win32DialogTest(108) {}
};

TEST_F(Win32KeyListTest, ListChangesFromCodeRaiseNothingTheUsersChoiceDoes) {
  EXPECT_EQ(dialog_.AddListEntry(1015, "[NONE]", 0), 0);
  EXPECT_EQ(dialog_.AddListEntry(1015, "A", 0x1'0000'0004LL), 1);  // data wider than 32 bits
  dialog_.SetListSelection(1015, 1);
  EXPECT_EQ(dialog_.GetListSelection(1015), 1);
  EXPECT_EQ(dialog_.GetListText(1015, 1), "A");
  EXPECT_EQ(dialog_.GetListData(1015, 1), 0x1'0000'0004LL);
  EXPECT_EQ(dialog_.GetListData(1015, 2), 0);  // out of range
  EXPECT_EQ(dialog_.GetListText(1015, -1), "");
  dialog_.SetListSelection(1015, -1);
  EXPECT_EQ(dialog_.GetListSelection(1015), -1);
  dialog_.ResetList(1015);
  EXPECT_EQ(dialog_.GetListCount(1015), 0);
  EXPECT_THAT(events_.log, IsEmpty());

  dialog_.AddListEntry(1015, "[NONE]", 0);
  dialog_.AddListEntry(1015, "B", 5);
  dialog_.SetListSelection(1015, 0);
  SendMessageW(Control(1015), WM_KEYDOWN, VK_DOWN, 0);  // the user picks the next entry
  EXPECT_EQ(dialog_.GetListSelection(1015), 1);
  EXPECT_THAT(events_.log, ElementsAre("select 1015"));
}

TEST_F(Win32DialogHostTest, TimersTickAsThePagesTimerNotification) {
  ASSERT_EQ(dialog_.StartTimer(7, 10), 7u);
  const DWORD started = GetTickCount();
  while (events_.log.empty() && GetTickCount() - started < 5000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    RunPending();
  }
  dialog_.KillTimer(7);
  ASSERT_FALSE(events_.log.empty());
  EXPECT_EQ(events_.log.front(), "timer 7");
}

TEST_F(Win32DialogHostTest, TheUsersClickWhileWorkRunsIsDroppedAndTheBoxKeepsItsState) {
  dialog_.SetChecked(1039, true);
  HWND box = Control(1039);
  HWND button = Control(1033);
  // The window thread runs sent messages while it waits for the work: a
  // click that arrives then reaches the controls, but not the page.
  runner_.Run(
      [&] {
        SendMessageW(box, BM_CLICK, 0, 0);
        SendMessageW(button, BM_CLICK, 0, 0);
      },
      {"clicking", 0});
  EXPECT_TRUE(dialog_.IsChecked(1039));
  EXPECT_THAT(events_.log, IsEmpty());
}

TEST_F(Win32DialogHostTest, ModifiedIsToldToTheSheet) {
  std::vector<bool> told;
  dialog_.SetModifiedListener([&](bool modified) { told.push_back(modified); });
  dialog_.SetModified(true);
  EXPECT_TRUE(dialog_.Modified());
  dialog_.SetModified(false);
  EXPECT_THAT(told, ElementsAre(true, false));
}

}  // namespace
}  // namespace kv::ui::win32
