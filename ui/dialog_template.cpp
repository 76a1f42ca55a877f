#include "dialog_template.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "dialog_template_sources.h"

namespace kv::ui {

namespace {

using nlohmann::json;

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error("dialog template: " + what);
}

ControlKind ParseKind(const std::string& kind) {
  static const std::map<std::string, ControlKind> kKinds = {
      {"label", ControlKind::Label},       {"edit", ControlKind::Edit},
      {"check", ControlKind::CheckBox},    {"radio", ControlKind::RadioButton},
      {"button", ControlKind::PushButton}, {"group", ControlKind::GroupBox},
      {"list", ControlKind::DropDownList}};
  const auto found = kKinds.find(kind);
  if (found == kKinds.end()) {
    Fail("unknown control kind \"" + kind + "\"");
  }
  return found->second;
}

void ApplyStyle(const std::string& flag, ControlStyle* style) {
  static const std::map<std::string, bool ControlStyle::*> kFlags = {
      {"digits", &ControlStyle::digitsOnly}, {"readonly", &ControlStyle::readOnly},
      {"centred", &ControlStyle::centred},   {"right", &ControlStyle::rightAligned},
      {"border", &ControlStyle::border},     {"autohscroll", &ControlStyle::autoHScroll},
      {"vscroll", &ControlStyle::vScroll}};
  const auto found = kFlags.find(flag);
  if (found == kFlags.end()) {
    Fail("unknown style \"" + flag + "\"");
  }
  style->*(found->second) = true;
}

void ApplyState(const std::string& flag, ControlTemplate* control) {
  static const std::map<std::string, bool ControlTemplate::*> kFlags = {
      {"disabled", &ControlTemplate::disabled},
      {"hidden", &ControlTemplate::hidden},
      {"checked", &ControlTemplate::checked}};
  const auto found = kFlags.find(flag);
  if (found == kFlags.end()) {
    Fail("unknown state \"" + flag + "\"");
  }
  control->*(found->second) = true;
}

ControlTemplate ParseControl(const json& item) {
  ControlTemplate control;
  control.id = item.value("id", kIdStatic);
  control.kind = ParseKind(item.at("kind").get<std::string>());
  control.text = item.value("text", std::string());
  const auto rect = item.at("rect").get<std::vector<int>>();
  if (rect.size() != 4 || rect[2] <= 0 || rect[3] <= 0) {
    Fail("control " + std::to_string(control.id) + ": rect must be x, y, width, height");
  }
  control.x = rect[0];
  control.y = rect[1];
  control.width = rect[2];
  control.height = rect[3];
  for (const auto& flag : item.value("style", std::vector<std::string>())) {
    ApplyStyle(flag, &control.style);
  }
  for (const auto& flag : item.value("state", std::vector<std::string>())) {
    ApplyState(flag, &control);
  }
  control.radioGroup = item.value("group", std::string());
  control.accessibleName = item.value("name", std::string());
  return control;
}

}  // namespace

const ControlTemplate* DialogTemplate::Find(int controlId) const {
  if (controlId == kIdStatic) {
    return nullptr;
  }
  for (const auto& control : controls) {
    if (control.id == controlId) {
      return &control;
    }
  }
  return nullptr;
}

DialogTemplate ParseDialogTemplate(std::string_view text) {
  json root;
  try {
    root = json::parse(text);
  } catch (const json::exception& e) {
    Fail(e.what());
  }
  DialogTemplate dialog;
  try {
    dialog.id = root.at("id").get<int>();
    dialog.caption = root.at("caption").get<std::string>();
    const auto size = root.at("size").get<std::vector<int>>();
    if (size.size() != 2 || size[0] <= 0 || size[1] <= 0) {
      Fail("size must be width, height");
    }
    dialog.width = size[0];
    dialog.height = size[1];
    dialog.fontName = root.at("font").at("name").get<std::string>();
    dialog.fontPointSize = root.at("font").at("points").get<int>();
    for (const auto& item : root.at("controls")) {
      dialog.controls.push_back(ParseControl(item));
    }
  } catch (const json::exception& e) {
    Fail(e.what());
  }
  for (const auto& control : dialog.controls) {
    if (control.id != kIdStatic && dialog.Find(control.id) != &control) {
      Fail("id " + std::to_string(control.id) + " used twice in dialog " +
           std::to_string(dialog.id));
    }
  }
  return dialog;
}

const std::vector<DialogTemplate>& DialogTemplates() {
  static const std::vector<DialogTemplate> kTemplates = [] {
    std::vector<DialogTemplate> templates;
    for (std::size_t i = 0; i < kDialogTemplateSourceCount; ++i) {
      templates.push_back(ParseDialogTemplate(kDialogTemplateSources[i]));
    }
    return templates;
  }();
  return kTemplates;
}

const DialogTemplate* FindDialogTemplate(int id) {
  for (const auto& dialog : DialogTemplates()) {
    if (dialog.id == id) {
      return &dialog;
    }
  }
  return nullptr;
}

namespace {

bool Contains(const ControlTemplate& outer, const ControlTemplate& inner) {
  return inner.x >= outer.x && inner.y >= outer.y &&
         inner.x + inner.width <= outer.x + outer.width &&
         inner.y + inner.height <= outer.y + outer.height;
}

bool SameRow(const ControlTemplate& a, const ControlTemplate& b) {
  return a.y < b.y + b.height && b.y < a.y + a.height;
}

}  // namespace

std::string AccessibleName(const DialogTemplate& dialog, const ControlTemplate& control) {
  if (!control.accessibleName.empty()) {
    return control.accessibleName;
  }
  const ControlTemplate* source = AccessibleNameSource(dialog, control);
  return source ? source->text : std::string();
}

const ControlTemplate* AccessibleNameSource(const DialogTemplate& dialog,
                                            const ControlTemplate& control) {
  if (!control.accessibleName.empty()) {
    return nullptr;
  }
  if (control.kind != ControlKind::Edit && control.kind != ControlKind::DropDownList) {
    return &control;
  }
  // The nearest label ending to the left on the same row.
  const ControlTemplate* best = nullptr;
  for (const auto& label : dialog.controls) {
    if (label.kind == ControlKind::Label && !label.text.empty() && SameRow(label, control) &&
        label.x + label.width <= control.x + 2 &&
        (!best || label.x + label.width > best->x + best->width)) {
      best = &label;
    }
  }
  if (best) {
    return best;
  }
  // Some rows name the field after it: the nearest label to the right.
  for (const auto& label : dialog.controls) {
    if (label.kind == ControlKind::Label && !label.text.empty() && SameRow(label, control) &&
        label.x + 2 >= control.x + control.width && (!best || label.x < best->x)) {
      best = &label;
    }
  }
  if (best) {
    return best;
  }
  // The smallest group box around it.
  for (const auto& group : dialog.controls) {
    if (group.kind == ControlKind::GroupBox && Contains(group, control) &&
        (!best || group.width * group.height < best->width * best->height)) {
      best = &group;
    }
  }
  return best;
}

}  // namespace kv::ui
