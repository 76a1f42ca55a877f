// A dialog template as the platform's dialog manager reads it from memory: a
// DLGTEMPLATE with its font, then one DLGITEMTEMPLATE per control, each on a
// DWORD boundary, in dialog units exactly as res/dialogs/*.json gives them.
// Property sheet pages (PSP_DLGINDIRECT) and CreateDialogIndirectParamW take
// it as it is.
#pragma once

#include <vector>

#include "dialog_template.h"
#include "win32.h"

namespace kv::ui::win32 {

// How much taller than its closed box a drop-down list is made, in dialog
// units: the template gives the closed box, the platform wants the box with
// its open list.
inline constexpr int kDropDownListHeight = 96;

// The window styles of one control: its kind, its style flags, its initial
// state. Each control is a tab stop but labels and group boxes.
DWORD ControlWindowStyle(const ControlTemplate& control, bool firstOfRadioGroup);

// The whole template, `pageStyle` for a sheet's page (a child in the sheet's
// font) or a free dialog (in the template's font).
std::vector<WORD> BuildDialogTemplate(const DialogTemplate& dialog, bool pageStyle);

}  // namespace kv::ui::win32
