#include "key_sets.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "memory_dialog_host.h"
#include "recording_events.h"

namespace kv::ui {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class KeySetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& controls : kKeySetControls) {
      EXPECT_EQ(FillKeyList(dialog, controls.keyList), 1);
    }
    dialog.SetEvents(&events);
  }
  std::function<void()> MarkChanged() {
    return [this] { ++changes; };
  }

  MemoryDialogHost dialog{108};
  testing::RecordingEvents events;
  int changes = 0;
};

TEST_F(KeySetsTest, AFilledListHoldsTheNinetySixNamesWithoutASelection) {
  EXPECT_EQ(dialog.GetListCount(1016), 96);
  EXPECT_EQ(dialog.GetListText(1016, 0), "[NONE]");
  EXPECT_EQ(dialog.GetListText(1016, 95), "APPS");
  EXPECT_EQ(dialog.GetListData(1016, 1), 0x04);
  EXPECT_EQ(dialog.GetListSelection(1016), -1);
  EXPECT_EQ(FillKeyList(dialog, 4711), 0);
}

TEST_F(KeySetsTest, ShowingASetChecksEveryBoxAndSelectsTheCodeWithoutClicks) {
  EXPECT_EQ(SetKeySet(dialog, 3, 0xFF, 0x4C), 1);
  for (const auto& box : kKeySetControls[2].modifiers) {
    EXPECT_TRUE(dialog.IsChecked(box.id)) << box.id;
  }
  EXPECT_EQ(dialog.GetText(1013), "76");
  EXPECT_EQ(dialog.GetListText(1017, dialog.GetListSelection(1017)), "DELETE");

  EXPECT_EQ(SetKeySet(dialog, 3, 0x00, 0x04), 1);
  for (const auto& box : kKeySetControls[2].modifiers) {
    EXPECT_FALSE(dialog.IsChecked(box.id)) << box.id;
  }
  // Only the key field's text notification; no click, no selection change.
  EXPECT_THAT(events.log, ElementsAre("text 1013", "text 1013"));
}

TEST_F(KeySetsTest, ACodeWithoutARowShowsByNumberAndKeepsTheSelection) {
  SetKeySet(dialog, 1, 0, 0x04);
  SetKeySet(dialog, 1, 0, 0x32);
  EXPECT_EQ(dialog.GetText(1011), "50");
  EXPECT_EQ(dialog.GetListText(1015, dialog.GetListSelection(1015)), "A");
  EXPECT_EQ(GetKeySet(dialog, 1), 0x0032);  // and it survives a read
}

TEST_F(KeySetsTest, ReadingASetComesFromTheBoxesAndTheKeyField) {
  dialog.SetChecked(1003, true);  // LCTL of set 1
  dialog.SetChecked(1004, true);  // LALT
  dialog.SetNumber(1011, 0x4C);
  EXPECT_EQ(GetKeySet(dialog, 1), 0x054C);
  dialog.SetChecked(1054, true);  // RGUI of set 4
  dialog.SetNumber(1021, 0x1FF);  // only the low byte is a code
  EXPECT_EQ(GetKeySet(dialog, 4), 0x80FF);
}

TEST_F(KeySetsTest, SetNumbersOutsideOneToFourDoNothing) {
  for (int set : {0, 5, -1}) {
    EXPECT_EQ(SetKeySet(dialog, set, 0xFF, 4), 0);
    EXPECT_EQ(GetKeySet(dialog, set), 0);
  }
  EXPECT_THAT(events.log, IsEmpty());
}

TEST_F(KeySetsTest, ChoosingAKeyWritesItsCodeAndNoneClearsTheModifiers) {
  SetKeySet(dialog, 2, 0x21, 0x10);
  dialog.Choose(1016, "A");
  OnKeyListChange(dialog, 2, MarkChanged());
  EXPECT_EQ(dialog.GetText(1012), "4");
  EXPECT_EQ(GetKeySet(dialog, 2), 0x2104);  // modifiers kept

  dialog.Choose(1016, "[NONE]");
  OnKeyListChange(dialog, 2, MarkChanged());
  EXPECT_EQ(dialog.GetText(1012), "0");
  EXPECT_EQ(GetKeySet(dialog, 2), 0);
  EXPECT_EQ(changes, 2);

  OnKeyListChange(dialog, 3, MarkChanged());  // set 3's list has no selection
  EXPECT_EQ(changes, 2);
}

TEST_F(KeySetsTest, PackingSkipsEmptySetsAndClosesUp) {
  const struct {
    std::array<KeySet, 4> shown;
    std::uint16_t count;
    std::array<KeySet, 4> slots;
  } cases[] = {
      {{}, 0, {}},
      {{{{0, 4}, {}, {0x08, 0x0F}, {}}}, 2, {{{0, 4}, {0x08, 0x0F}, {}, {}}}},
      {{{{}, {0x20, 0}, {}, {0, 0x29}}}, 2, {{{0x20, 0}, {0, 0x29}, {}, {}}}},
      {{{{1, 1}, {2, 2}, {3, 3}, {4, 4}}}, 4, {{{1, 1}, {2, 2}, {3, 3}, {4, 4}}}},
  };
  for (const auto& c : cases) {
    for (int set = 1; set <= 4; ++set) {
      SetKeySet(dialog, set, c.shown[set - 1].mods, c.shown[set - 1].code);
    }
    const PackedKeySets packed = PackKeySets(dialog);
    EXPECT_EQ(packed.count, c.count);
    EXPECT_EQ(packed.slots, c.slots);
  }
}

TEST_F(KeySetsTest, StoringWritesSlotsOneToFourAndLeavesTheRest) {
  tsWalkUpParms record;
  record.Key5ModsWU = 7;
  record.Key6CodeWU = 9;
  record.Flags0WU = 1;
  record.Reserved2WU = 0x1234;
  PackedKeySets packed;
  packed.count = 1;
  packed.slots[0] = {0x05, 0x4C};
  record.Key2CodeWU = 0x0E;
  StoreKeySets(packed, record);
  EXPECT_EQ(record.KeyCountWU, 1);
  EXPECT_EQ(record.Key1ModsWU, 0x05);
  EXPECT_EQ(record.Key1CodeWU, 0x4C);
  EXPECT_EQ(record.Key2CodeWU, 0);
  EXPECT_EQ(record.Key5ModsWU, 7);
  EXPECT_EQ(record.Key6CodeWU, 9);
  EXPECT_EQ(record.Flags0WU, 1);
  EXPECT_EQ(record.Reserved2WU, 0x1234);
}

TEST_F(KeySetsTest, UnpackingACountOfZeroClearsAllSixSlots) {
  tsWalkAwayParms record;
  record.KeyCountWA = 0;
  record.Key1ModsWA = 0x05;
  record.Key1CodeWA = 0x4C;
  record.Key5ModsWA = 1;
  record.Key6CodeWA = 0x29;
  record.InterKeyDelayWA = 640;
  UnpackKeySets(dialog, record);
  tsWalkAwayParms cleared;
  cleared.InterKeyDelayWA = 640;
  EXPECT_EQ(record, cleared);
  for (int set = 1; set <= 4; ++set) {
    EXPECT_EQ(GetKeySet(dialog, set), 0) << set;
    const int list = kKeySetControls[static_cast<std::size_t>(set - 1)].keyList;
    EXPECT_EQ(dialog.GetListText(list, dialog.GetListSelection(list)), "[NONE]");
  }
}

TEST_F(KeySetsTest, UnpackingShowsEverySlotWhateverTheCount) {
  tsWalkAwayParms record;
  record.KeyCountWA = 2;
  record.Key1ModsWA = 0x105;  // only the low byte is shown
  record.Key1CodeWA = 0x4C;
  record.Key3CodeWA = 0x2A;
  UnpackKeySets(dialog, record);
  EXPECT_EQ(GetKeySet(dialog, 1), 0x054C);
  EXPECT_EQ(GetKeySet(dialog, 2), 0);
  EXPECT_EQ(GetKeySet(dialog, 3), 0x002A);
  EXPECT_EQ(record.Key1ModsWA, 0x105);  // the record itself is untouched
  EXPECT_EQ(PackKeySets(dialog).count, 2);
}

TEST(KeySetLookupTest, ListsAndBoxesAreFoundById) {
  EXPECT_EQ(KeySetOfList(1015), 1);
  EXPECT_EQ(KeySetOfList(1022), 4);
  EXPECT_EQ(KeySetOfList(1014), 0);
  EXPECT_TRUE(IsModifierBox(1031));
  EXPECT_TRUE(IsModifierBox(1054));
  EXPECT_FALSE(IsModifierBox(1014));
}

}  // namespace
}  // namespace kv::ui
