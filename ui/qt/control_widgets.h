// One Qt widget per control kind of a dialog template, with the template's
// text, style and initial state, and what screen readers need to know.
#pragma once

#include <QWidget>

#include "dialog_template.h"

namespace kv::ui::qt {

// Makes the widget of `control` as a child of `parent`: a label, line edit,
// check box, radio button, push button, group box or drop-down list. Sets
// alignment, a digits-only validator, read-only, hidden and disabled as the
// template says, the accessible name (`accessibleName`) and, for controls
// with an id, the accessible description "id 1014".
QWidget* MakeControlWidget(const ControlTemplate& control, const std::string& accessibleName,
                           QWidget* parent);

// Whether a label of this height in dialog units holds more than one line.
bool LabelWraps(const ControlTemplate& control);

}  // namespace kv::ui::qt
