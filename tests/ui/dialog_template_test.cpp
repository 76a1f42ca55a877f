#include "dialog_template.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "key_sets.h"

namespace kv::ui {
namespace {

TEST(DialogTemplateTest, TheFourPagesAreBuiltIn) {
  const struct {
    int id;
    const char* caption;
    int width, height;
  } pages[] = {{107, "Sonar", 370, 249},
               {108, "Walk-Away", 389, 170},
               {109, "Walk-To", 389, 170},
               {110, "Misc.", 377, 226}};
  for (const auto& page : pages) {
    const DialogTemplate* dialog = FindDialogTemplate(page.id);
    ASSERT_NE(dialog, nullptr) << page.id;
    EXPECT_EQ(dialog->caption, page.caption);
    EXPECT_EQ(dialog->width, page.width);
    EXPECT_EQ(dialog->height, page.height);
    EXPECT_EQ(dialog->fontName, "MS Sans Serif");
    EXPECT_EQ(dialog->fontPointSize, 8);
    for (const auto& control : dialog->controls) {
      EXPECT_LE(control.x + control.width, dialog->width) << page.id << " " << control.text;
      EXPECT_LE(control.y + control.height, dialog->height) << page.id << " " << control.text;
    }
  }
  EXPECT_EQ(FindDialogTemplate(4711), nullptr);
}

TEST(DialogTemplateTest, KeyPagesCarryEveryKeySetControlInsideItsGroup) {
  for (int id : {108, 109}) {
    const DialogTemplate& dialog = *FindDialogTemplate(id);
    for (int set = 1; set <= kKeySetCount; ++set) {
      const KeySetControls& ids = *KeySetControlsOf(set);
      const int groupX = 7 + 96 * (set - 1);
      auto inside = [&](int controlId, ControlKind kind) {
        const ControlTemplate* control = dialog.Find(controlId);
        ASSERT_NE(control, nullptr) << id << " " << controlId;
        EXPECT_EQ(control->kind, kind);
        EXPECT_GE(control->x, groupX);
        EXPECT_LE(control->x + control->width, groupX + 86) << controlId;
        EXPECT_LE(control->y + control->height, 7 + 118) << controlId;
      };
      for (const auto& box : ids.modifiers) {
        inside(box.id, ControlKind::CheckBox);
      }
      inside(ids.keyField, ControlKind::Edit);
      inside(ids.keyList, ControlKind::DropDownList);
      EXPECT_TRUE(dialog.Find(ids.keyField)->style.readOnly);
      EXPECT_TRUE(dialog.Find(ids.keyField)->style.digitsOnly);
    }
    EXPECT_TRUE(dialog.Find(1014)->disabled);
    EXPECT_EQ(dialog.Find(1023) != nullptr, id == 108);
  }
}

TEST(DialogTemplateTest, AccessibleNamesComeFromTheLabelBeforeTheField) {
  const DialogTemplate& sonar = *FindDialogTemplate(107);
  const DialogTemplate& walkAway = *FindDialogTemplate(108);
  const DialogTemplate& misc = *FindDialogTemplate(110);
  EXPECT_EQ(AccessibleName(sonar, *sonar.Find(1026)), "Minimum Detection Distance");
  EXPECT_EQ(AccessibleName(sonar, *sonar.Find(1066)), "Sonar Blanking");
  EXPECT_EQ(AccessibleName(sonar, *sonar.Find(1062)), "Dead Target Delta Distance (inches)");
  EXPECT_EQ(AccessibleName(sonar, *sonar.Find(1064)), "Minutes (not sec)");
  EXPECT_EQ(AccessibleName(walkAway, *walkAway.Find(1014)), "Delay (msec) between key presses:");
  EXPECT_EQ(AccessibleName(walkAway, *walkAway.Find(1012)), "Key");
  EXPECT_EQ(AccessibleName(walkAway, *walkAway.Find(1017)), "Key Set 3");
  EXPECT_EQ(AccessibleName(misc, *misc.Find(1055)), "msec Rate");
  EXPECT_EQ(AccessibleName(misc, *misc.Find(1050)), "View Range");
}

TEST(DialogTemplateTest, SonarControlsStartInTheirOwnState) {
  const DialogTemplate& sonar = *FindDialogTemplate(107);
  EXPECT_TRUE(sonar.Find(1066)->disabled);
  EXPECT_FALSE(sonar.Find(1066)->hidden);
  EXPECT_TRUE(sonar.Find(1023)->hidden);
  EXPECT_TRUE(sonar.Find(1023)->disabled);
  EXPECT_FALSE(sonar.Find(1026)->disabled);
  EXPECT_EQ(sonar.Find(1047)->text, "( 0 to 255 sec )");
}

TEST(DialogTemplateTest, MalformedTemplatesAreRefusedWithAReason) {
  const char* bad[] = {
      "{",
      R"({"id": 1, "caption": "x", "size": [10], "font": {"name": "f", "points": 8}, "controls": []})",
      R"({"id": 1, "caption": "x", "size": [10, 10], "font": {"name": "f", "points": 8},
          "controls": [{"kind": "slider", "rect": [0, 0, 1, 1]}]})",
      R"({"id": 1, "caption": "x", "size": [10, 10], "font": {"name": "f", "points": 8},
          "controls": [{"id": 5, "kind": "edit", "rect": [0, 0, 1, 1], "style": ["bold"]}]})",
      R"({"id": 1, "caption": "x", "size": [10, 10], "font": {"name": "f", "points": 8},
          "controls": [{"id": 5, "kind": "edit", "rect": [0, 0, 1, 1]},
                       {"id": 5, "kind": "edit", "rect": [0, 2, 1, 1]}]})",
  };
  for (const char* text : bad) {
    EXPECT_THROW(ParseDialogTemplate(text), std::runtime_error) << text;
  }
}

}  // namespace
}  // namespace kv::ui
