// The notification rules of dialog_host.h, checked the same way on every
// host. A host's test program instantiates the suite with a driver that
// opens a page's dialog and plays the user on it:
//
//   DialogHost& Open(int templateId, DialogEvents& events);
//       the dialog of that template, shown, telling `events`
//   void Type(int id, char c);       the user types `c` into edit `id`
//   void Click(int id);              the user's click on control `id`
//   void ChooseNext(int id);         the user picks the entry after the
//                                    selected one in list `id`
//   bool AwaitTick(std::uint32_t id, const std::function<bool()>& arrived, int limitMs);
//       lets timer `id` tick until `arrived` holds, for at most `limitMs`
//       of real time; false when it did not come to hold
//   static constexpr bool kBusyWindow;  whether library work can hold the
//   void WhileBusy(const std::function<void()>& user);   window: `user`
//                                    acts while it does
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "dialog_host.h"
#include "dialog_template.h"
#include "ui/recording_events.h"

namespace kv::ui::testing {

template <class Driver>
class HostContract : public ::testing::Test {
 protected:
  DialogHost& Open(int templateId) { return driver_.Open(templateId, events_); }

  Driver driver_;
  RecordingEvents events_;
};

TYPED_TEST_SUITE_P(HostContract);

// Misc. page controls: an edit for digits, a read-only edit, a label, a
// push button, a check box, a disabled check box, three radio buttons.
constexpr int kRateEdit = 1055;
constexpr int kRangeEdit = 1050;
constexpr int kRateLabel = 1057;
constexpr int kPushButton = 1033;
constexpr int kCheckBox = 1039;
constexpr int kDisabledBox = 1053;
constexpr int kRadioA = 1040;
constexpr int kRadioB = 1041;
// The Walk-Away page's first key list.
constexpr int kKeyList = 1015;

TYPED_TEST_P(HostContract, CodeSetsAnEditWithANotificationEveryTimeButNothingElse) {
  DialogHost& misc = this->Open(110);
  misc.SetText(kRateEdit, "500");
  misc.SetText(kRateEdit, "500");  // the same text notifies again
  misc.SetText(kRangeEdit, "");
  misc.SetText(kRangeEdit, "");        // so does empty over empty
  misc.SetText(kPushButton, "Reset");  // a button's caption raises nothing
  misc.SetText(kRateLabel, "rate");    // nor does a label's
  EXPECT_THAT(this->events_.log,
              ::testing::ElementsAre("text 1055", "text 1055", "text 1050", "text 1050"));
  EXPECT_EQ(misc.GetText(kRateEdit), "500");
  EXPECT_EQ(misc.GetText(kPushButton), "Reset");
  EXPECT_EQ(misc.GetText(kRateLabel), "rate");
}

TYPED_TEST_P(HostContract, TheUsersTypingNotifiesButAReadOnlyEditTakesNone) {
  DialogHost& misc = this->Open(110);
  misc.SetText(kRateEdit, "500");
  this->events_.log.clear();
  this->driver_.Type(kRateEdit, '7');
  EXPECT_THAT(this->events_.log, ::testing::ElementsAre("text 1055"));
  EXPECT_EQ(misc.GetText(kRateEdit).size(), 4u);
  EXPECT_NE(misc.GetText(kRateEdit).find('7'), std::string::npos);

  this->events_.log.clear();
  this->driver_.Type(kRangeEdit, '1');
  EXPECT_EQ(misc.GetText(kRangeEdit), "");
  EXPECT_THAT(this->events_.log, ::testing::IsEmpty());
}

TYPED_TEST_P(HostContract, CodeChecksQuietlyTheUsersClickTogglesAndNotifies) {
  DialogHost& misc = this->Open(110);
  misc.SetChecked(kCheckBox, true);
  misc.SetChecked(kRadioA, true);
  EXPECT_THAT(this->events_.log, ::testing::IsEmpty());
  EXPECT_TRUE(misc.IsChecked(kCheckBox));
  EXPECT_TRUE(misc.IsChecked(kRadioA));

  this->driver_.Click(kCheckBox);     // toggles off
  this->driver_.Click(kRadioB);       // unchecks the rest of its group
  this->driver_.Click(kPushButton);   // only notifies
  this->driver_.Click(kDisabledBox);  // takes nothing
  EXPECT_THAT(this->events_.log, ::testing::ElementsAre("click 1039", "click 1041", "click 1033"));
  EXPECT_FALSE(misc.IsChecked(kCheckBox));
  EXPECT_FALSE(misc.IsChecked(kRadioA));
  EXPECT_TRUE(misc.IsChecked(kRadioB));
  EXPECT_FALSE(misc.IsChecked(kDisabledBox));
}

TYPED_TEST_P(HostContract, ListsChangeQuietlyFromCodeAndNotifyTheUsersChoice) {
  DialogHost& walkAway = this->Open(108);
  EXPECT_EQ(walkAway.AddListEntry(kKeyList, "[NONE]", 0), 0);
  EXPECT_EQ(walkAway.AddListEntry(kKeyList, "A", 0x1'0000'0004LL), 1);  // wider than 32 bits
  EXPECT_EQ(walkAway.GetListSelection(kKeyList), -1);                   // nothing chosen yet
  walkAway.SetListSelection(kKeyList, 1);
  EXPECT_EQ(walkAway.GetListSelection(kKeyList), 1);
  EXPECT_EQ(walkAway.GetListText(kKeyList, 1), "A");
  EXPECT_EQ(walkAway.GetListData(kKeyList, 1), 0x1'0000'0004LL);
  EXPECT_EQ(walkAway.GetListData(kKeyList, 2), 0);  // out of range
  EXPECT_EQ(walkAway.GetListText(kKeyList, -1), "");
  walkAway.SetListSelection(kKeyList, -1);
  EXPECT_EQ(walkAway.GetListSelection(kKeyList), -1);
  walkAway.ResetList(kKeyList);
  EXPECT_EQ(walkAway.GetListCount(kKeyList), 0);
  EXPECT_THAT(this->events_.log, ::testing::IsEmpty());

  walkAway.AddListEntry(kKeyList, "[NONE]", 0);
  walkAway.AddListEntry(kKeyList, "B", 5);
  walkAway.SetListSelection(kKeyList, 0);
  this->driver_.ChooseNext(kKeyList);
  EXPECT_EQ(walkAway.GetListSelection(kKeyList), 1);
  EXPECT_THAT(this->events_.log, ::testing::ElementsAre("select 1015"));
}

TYPED_TEST_P(HostContract, AnIdTheDialogLacksDoesNothingAndReadsEmpty) {
  DialogHost& misc = this->Open(110);
  constexpr int kMissing = 4242;
  misc.SetText(kMissing, "x");
  misc.SetChecked(kMissing, true);
  misc.SetEnabled(kMissing, true);
  misc.SetVisible(kMissing, true);
  EXPECT_FALSE(misc.HasControl(kMissing));
  EXPECT_EQ(misc.GetText(kMissing), "");
  EXPECT_FALSE(misc.IsChecked(kMissing));
  EXPECT_FALSE(misc.IsEnabled(kMissing));
  EXPECT_FALSE(misc.IsVisible(kMissing));
  EXPECT_EQ(misc.AddListEntry(kMissing, "x", 1), -1);
  EXPECT_EQ(misc.GetListCount(kMissing), 0);
  EXPECT_EQ(misc.GetListSelection(kMissing), -1);
  EXPECT_FALSE(misc.IsChecked(kRateEdit));  // an edit is never checked
  EXPECT_THAT(this->events_.log, ::testing::IsEmpty());
}

TYPED_TEST_P(HostContract, EveryControlStartsAsItsTemplateSays) {
  for (const DialogTemplate& form : DialogTemplates()) {
    SCOPED_TRACE("dialog " + std::to_string(form.id));
    DialogHost& dialog = this->Open(form.id);
    for (const ControlTemplate& control : form.controls) {
      if (control.id == kIdStatic) {
        continue;
      }
      SCOPED_TRACE("control " + std::to_string(control.id));
      EXPECT_TRUE(dialog.HasControl(control.id));
      EXPECT_EQ(dialog.IsEnabled(control.id), !control.disabled);
      EXPECT_EQ(dialog.IsVisible(control.id), !control.hidden);
      EXPECT_EQ(dialog.IsChecked(control.id), control.checked);
    }
  }
}

TYPED_TEST_P(HostContract, TimersTickAsThePagesTimerNotificationUntilKilled) {
  DialogHost& misc = this->Open(110);
  ASSERT_EQ(misc.StartTimer(7, 10), 7u);
  const auto ticked = [&] { return !this->events_.log.empty(); };
  ASSERT_TRUE(this->driver_.AwaitTick(7, ticked, 5000));
  EXPECT_EQ(this->events_.log.front(), "timer 7");
  misc.KillTimer(7);
  this->events_.log.clear();
  EXPECT_FALSE(this->driver_.AwaitTick(7, ticked, 200));  // twenty periods
}

TYPED_TEST_P(HostContract, TheUsersInputWhileWorkRunsReachesNoPageAndChangesNothing) {
  if constexpr (!TypeParam::kBusyWindow) {
    GTEST_SKIP() << "no library work holds this host's window";
  } else {
    DialogHost& misc = this->Open(110);
    misc.SetChecked(kCheckBox, true);
    this->driver_.WhileBusy([&] {
      this->driver_.Click(kCheckBox);
      this->driver_.Click(kPushButton);
    });
    EXPECT_TRUE(misc.IsChecked(kCheckBox));
    EXPECT_THAT(this->events_.log, ::testing::IsEmpty());
  }
}

REGISTER_TYPED_TEST_SUITE_P(HostContract, CodeSetsAnEditWithANotificationEveryTimeButNothingElse,
                            TheUsersTypingNotifiesButAReadOnlyEditTakesNone,
                            CodeChecksQuietlyTheUsersClickTogglesAndNotifies,
                            ListsChangeQuietlyFromCodeAndNotifyTheUsersChoice,
                            AnIdTheDialogLacksDoesNothingAndReadsEmpty,
                            EveryControlStartsAsItsTemplateSays,
                            TimersTickAsThePagesTimerNotificationUntilKilled,
                            TheUsersInputWhileWorkRunsReachesNoPageAndChangesNothing);

}  // namespace kv::ui::testing
