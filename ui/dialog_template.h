// The dialog templates of the pages (107 Sonar, 108 Walk-Away, 109 Walk-To,
// 110 Misc.), kept as JSON in res/dialogs/ and built into the program, so it
// needs no file at run time. Positions and sizes are in dialog units: a
// quarter of the dialog font's average character width horizontally and an
// eighth of its height vertically.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kv::ui {

inline constexpr int kIdStatic = -1;  // a label or group box no code addresses

enum class ControlKind {
  Label,        // static text; wraps when taller than one line
  Edit,         // single-line edit
  CheckBox,     // automatic two-state check box
  RadioButton,  // automatic radio button
  PushButton,
  GroupBox,
  DropDownList,  // no typing, not sorted
};

struct ControlStyle {
  bool digitsOnly = false;    // edit: refuses any character but 0 to 9
  bool readOnly = false;      // edit: the user cannot change it
  bool centred = false;       // text centred
  bool rightAligned = false;  // text right-aligned
  bool border = false;        // drawn with a border
  bool autoHScroll = false;   // edit: scrolls horizontally
  bool vScroll = false;       // list: vertical scroll bar
};

struct ControlTemplate {
  int id = kIdStatic;
  ControlKind kind = ControlKind::Label;
  std::string text;
  int x = 0, y = 0, width = 0, height = 0;
  ControlStyle style;
  // Initial state.
  bool disabled = false;
  bool hidden = false;
  bool checked = false;
  // Radio buttons of one group (the user's click unchecks the others).
  std::string radioGroup;
  // The name a screen reader gives a field no label names ("name").
  std::string accessibleName;
};

struct DialogTemplate {
  int id = 0;
  std::string caption;
  int width = 0, height = 0;  // dialog units
  std::string fontName;
  int fontPointSize = 0;
  std::vector<ControlTemplate> controls;  // in template (tab) order

  // The control with `id`, or null (never finds kIdStatic).
  const ControlTemplate* Find(int controlId) const;
};

// Reads one template from its JSON text; throws std::runtime_error saying
// what is wrong when the text is not a valid template.
DialogTemplate ParseDialogTemplate(std::string_view text);

// Every built-in template, parsed once.
const std::vector<DialogTemplate>& DialogTemplates();
// The built-in template `id`, or null.
const DialogTemplate* FindDialogTemplate(int id);

// The name a screen reader gives a control: the template's name for it; or
// its own text; for an edit or a list, the text of the label standing before
// it on its row (or, on rows that name the field after it, the label just
// after it); failing both, the caption of the group box around it.
std::string AccessibleName(const DialogTemplate& dialog, const ControlTemplate& control);
// The control whose text that name is (the control itself, a label or a
// group box), or nullptr when it has none or a name of its own: a host that
// changes that control's text renames the control too.
const ControlTemplate* AccessibleNameSource(const DialogTemplate& dialog,
                                            const ControlTemplate& control);

}  // namespace kv::ui
