#include "control_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include "window_services.h"

namespace kv::ui::qt {

namespace {

// A line of text is 8 dialog units high; a label of two lines or more wraps.
constexpr int kLineUnits = 8;

// A group box drawn as the dialogs' platform draws it: an etched frame whose
// top line runs through the middle of the caption. (Qt's styles put the
// caption above the frame, where it would crowd the controls of a dialog
// laid out for the platform's look.)
class GroupFrame final : public QGroupBox {
 public:
  using QGroupBox::QGroupBox;

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int top = metrics.height() / 2;
    const int right = width() - 2;
    const int bottom = height() - 2;
    const int textLeft = metrics.averageCharWidth();
    const int textWidth = title().isEmpty() ? 0 : metrics.horizontalAdvance(title()) + 4;
    const auto frame = [&](int offset, QPalette::ColorRole role) {
      painter.setPen(palette().color(role));
      const int l = offset, t = top + offset, r = right + offset, b = bottom + offset;
      painter.drawLine(l, t, l, b);
      painter.drawLine(l, b, r, b);
      painter.drawLine(r, b, r, t);
      painter.drawLine(r, t, textLeft + textWidth, t);
      if (textWidth == 0) {
        painter.drawLine(l, t, r, t);
      } else if (textLeft > l) {
        painter.drawLine(l, t, textLeft - 1, t);
      }
    };
    frame(1, QPalette::Light);
    frame(0, QPalette::Mid);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(QRect(textLeft, 0, textWidth, metrics.height()), Qt::AlignCenter, title());
  }
};

Qt::Alignment TextAlignment(const ControlStyle& style) {
  if (style.centred) {
    return Qt::AlignHCenter | Qt::AlignVCenter;
  }
  if (style.rightAligned) {
    return Qt::AlignRight | Qt::AlignVCenter;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

QWidget* MakeLabel(const ControlTemplate& control, QWidget* parent) {
  auto* label = new QLabel(ToQt(control.text), parent);
  label->setTextFormat(Qt::PlainText);
  const bool wraps = LabelWraps(control);
  label->setWordWrap(wraps);
  label->setAlignment((TextAlignment(control.style) & Qt::AlignHorizontal_Mask) |
                      (wraps ? Qt::AlignTop : Qt::AlignVCenter));
  if (control.style.border) {
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  }
  return label;
}

QWidget* MakeEdit(const ControlTemplate& control, QWidget* parent) {
  auto* edit = new QLineEdit(ToQt(control.text), parent);
  edit->setAlignment(TextAlignment(control.style));
  edit->setReadOnly(control.style.readOnly);
  edit->setFrame(control.style.border);
  if (control.style.digitsOnly) {
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
  }
  return edit;
}

QWidget* MakeButton(const ControlTemplate& control, QWidget* parent) {
  auto* button = new QPushButton(ToQt(control.text), parent);
  // Enter belongs to the sheet's OK button, not to a page's buttons.
  button->setAutoDefault(false);
  return button;
}

QWidget* MakeList(QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->setEditable(false);
  list->setInsertPolicy(QComboBox::NoInsert);
  return list;
}

QWidget* MakeWidget(const ControlTemplate& control, QWidget* parent) {
  switch (control.kind) {
    case ControlKind::Label:
      return MakeLabel(control, parent);
    case ControlKind::Edit:
      return MakeEdit(control, parent);
    case ControlKind::CheckBox: {
      auto* box = new QCheckBox(ToQt(control.text), parent);
      box->setChecked(control.checked);
      return box;
    }
    case ControlKind::RadioButton: {
      auto* radio = new QRadioButton(ToQt(control.text), parent);
      radio->setChecked(control.checked);
      return radio;
    }
    case ControlKind::PushButton:
      return MakeButton(control, parent);
    case ControlKind::GroupBox:
      return new GroupFrame(ToQt(control.text), parent);
    case ControlKind::DropDownList:
      return MakeList(parent);
  }
  return new QWidget(parent);
}

}  // namespace

bool LabelWraps(const ControlTemplate& control) {
  return control.kind == ControlKind::Label && control.height >= 2 * kLineUnits;
}

QWidget* MakeControlWidget(const ControlTemplate& control, const std::string& accessibleName,
                           QWidget* parent) {
  QWidget* widget = MakeWidget(control, parent);
  widget->setAccessibleName(ToQt(accessibleName));
  if (control.id != kIdStatic) {
    widget->setAccessibleDescription(QStringLiteral("id %1").arg(control.id));
    widget->setObjectName(QStringLiteral("id%1").arg(control.id));
  }
  widget->setEnabled(!control.disabled);
  if (control.hidden) {
    widget->hide();
  }
  return widget;
}

}  // namespace kv::ui::qt
