#include "qt_dialog_host.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "control_widgets.h"
#include "dialog_units.h"

namespace kv::ui::qt {

namespace {

// Windows runs a window timer no faster than this.
constexpr std::uint32_t kMinimumTimerMs = 10;

}  // namespace

QtDialogHost::QtDialogHost(const DialogTemplate& dialog, WindowServices& services, QWidget* parent)
    : QWidget(parent), ServedWindow(services), template_(dialog) {
  setAccessibleName(ToQt(template_.caption));
  Build();
}

QtDialogHost::~QtDialogHost() {
  // Widgets go with this object; nothing may notify a page on the way.
  events_ = nullptr;
}

QSize QtDialogHost::DialogSize() const {
  return DialogUnits(font()).Size(template_.width, template_.height);
}

void QtDialogHost::Build() {
  const DialogUnits units(font());
  std::vector<QWidget*> groups;
  std::vector<std::pair<const ControlTemplate*, QWidget*>> built;
  for (const ControlTemplate& form : template_.controls) {
    QWidget* widget = MakeControlWidget(form, AccessibleName(template_, form), this);
    built.emplace_back(&form, widget);
    QRect area = units.Rect(form.x, form.y, form.width, form.height);
    if (form.kind == ControlKind::DropDownList) {
      // The template's height is that of the open list; closed, the box is
      // as high as its font needs.
      area.setHeight(widget->sizeHint().height());
    }
    widget->setGeometry(area);
    if (form.kind == ControlKind::GroupBox) {
      groups.push_back(widget);
    }
    if (form.kind == ControlKind::RadioButton) {
      RadioGroup(form)->addButton(static_cast<QAbstractButton*>(widget));
    }
    if (form.id == kIdStatic) {
      continue;
    }
    Control& control = controls_[form.id];
    control.form = &form;
    control.widget = widget;
    Connect(control);
  }
  // A control named after another's text is renamed when that text changes.
  for (const auto& [form, widget] : built) {
    const ControlTemplate* source = AccessibleNameSource(template_, *form);
    for (const auto& [other, sourceWidget] : built) {
      if (other == source) {
        namedAfter_[sourceWidget].push_back(widget);
      }
    }
  }
  // A group box frames the controls inside it, so it stays beneath them.
  for (QWidget* group : groups) {
    group->lower();
  }
  resize(DialogSize());
  WidenClippedTexts(built);
}

void QtDialogHost::WidenClippedTexts(
    const std::vector<std::pair<const ControlTemplate*, QWidget*>>& built) {
  // A font wider than the dialog's own can still leave a one-line text
  // longer than its control. Such a control grows to the right, into room
  // that no other control takes and within its group box.
  for (const auto& [form, widget] : built) {
    const bool leftAlignedLine = (form->kind == ControlKind::Label && !LabelWraps(*form) &&
                                  !form->style.centred && !form->style.rightAligned) ||
                                 form->kind == ControlKind::CheckBox ||
                                 form->kind == ControlKind::RadioButton;
    const int needed = widget->sizeHint().width();
    if (!leftAlignedLine || needed <= widget->width()) {
      continue;
    }
    QRect wanted = widget->geometry();
    wanted.setWidth(needed);
    bool free = rect().contains(wanted);
    for (const auto& [otherSpec, other] : built) {
      if (!free) {
        break;
      }
      if (other == widget) {
        continue;
      }
      const QRect place = other->geometry();
      if (otherSpec->kind == ControlKind::GroupBox && place.contains(widget->geometry())) {
        free = place.contains(wanted);
      } else {
        free = !place.intersects(wanted);
      }
    }
    if (free) {
      widget->setGeometry(wanted);
    }
  }
}

QButtonGroup* QtDialogHost::RadioGroup(const ControlTemplate& control) {
  // A radio button outside any named group is a group of its own: a click
  // checks it and unchecks nothing else.
  // Appended rather than "#" + ...: GCC 12 at -O3 warns falsely (-Wrestrict)
  // about the insert that a literal on the left of + makes.
  std::string name = control.radioGroup;
  if (name.empty()) name.append("#").append(std::to_string(control.id));
  QButtonGroup*& group = radioGroups_[name];
  if (!group) {
    group = new QButtonGroup(this);
    group->setExclusive(true);
  }
  return group;
}

void QtDialogHost::Connect(const Control& control) {
  const int id = control.form->id;
  switch (control.form->kind) {
    case ControlKind::Edit:
      // Fires for typing and for setText alike, as the platform's
      // edit-change notification does.
      connect(static_cast<QLineEdit*>(control.widget), &QLineEdit::textChanged, this, [this, id] {
        if (MayNotify()) {
          events_->NotifyTextChanged(id);
        }
      });
      break;
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
      ConnectCheckable(id, static_cast<QAbstractButton*>(control.widget),
                       control.form->kind == ControlKind::RadioButton);
      break;
    case ControlKind::PushButton:
      // Clicks, keys and the accessibility press action all click.
      connect(static_cast<QAbstractButton*>(control.widget), &QAbstractButton::clicked, this,
              [this, id] {
                if (MayNotify()) {
                  events_->NotifyClicked(id);
                }
              });
      break;
    case ControlKind::DropDownList:
      // Only the user's choice; setCurrentIndex raises nothing.
      connect(static_cast<QComboBox*>(control.widget), &QComboBox::activated, this, [this, id] {
        if (MayNotify()) {
          events_->NotifySelectionChanged(id);
        }
      });
      break;
    case ControlKind::Label:
    case ControlKind::GroupBox:
      break;
  }
}

void QtDialogHost::ConnectCheckable(int id, QAbstractButton* button, bool radio) {
  // The user may change a box without clicking it: an accessibility toggle
  // action (voice control, screen readers) toggles it directly. So every
  // change that is not the program's own SetChecked tells the page; a radio
  // button tells it when it becomes checked, not when a neighbour's check
  // clears it.
  connect(button, &QAbstractButton::pressed, this, [this] { clickToggled_ = false; });
  connect(button, &QAbstractButton::toggled, this, [this, id, button, radio](bool checked) {
    if (settingChecked_ || (radio && !checked)) {
      return;
    }
    clickToggled_ = true;
    if (MayNotify()) {
      events_->NotifyClicked(id);
    } else if (events_) {
      // The page cannot hear it while library work runs: the box keeps
      // what the page knows.
      SetCheckedQuietly(button, !checked);
    }
  });
  // A click on the radio button already checked changes nothing and still
  // tells the page, as the platform does.
  connect(button, &QAbstractButton::clicked, this, [this, id] {
    const bool toggled = std::exchange(clickToggled_, false);
    if (!toggled && MayNotify()) {
      events_->NotifyClicked(id);
    }
  });
}

void QtDialogHost::SetCheckedQuietly(QAbstractButton* button, bool checked) {
  QButtonGroup* group = button->group();
  // Code sets this one button only, as on the platform: an exclusive group
  // would refuse to uncheck its checked button, or uncheck the others.
  if (group) {
    group->setExclusive(false);
  }
  const bool setting = std::exchange(settingChecked_, true);
  button->setChecked(checked);
  settingChecked_ = setting;
  if (group) {
    group->setExclusive(true);
  }
}

const QtDialogHost::Control* QtDialogHost::Find(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : &found->second;
}

QWidget* QtDialogHost::Widget(int id) const {
  const Control* control = Find(id);
  return control ? control->widget : nullptr;
}

void QtDialogHost::SetEnabled(int id, bool enabled) {
  if (QWidget* widget = Widget(id)) {
    widget->setEnabled(enabled);
  }
}

bool QtDialogHost::IsEnabled(int id) const {
  const QWidget* widget = Widget(id);
  return widget && widget->isEnabledTo(this);
}

void QtDialogHost::SetVisible(int id, bool visible) {
  if (QWidget* widget = Widget(id)) {
    widget->setVisible(visible);
  }
}

bool QtDialogHost::IsVisible(int id) const {
  // Visible in the page, whether or not the page's tab is showing.
  const QWidget* widget = Widget(id);
  return widget && widget->isVisibleTo(this);
}

void QtDialogHost::SetText(int id, const std::string& text) {
  const Control* control = Find(id);
  if (!control) {
    return;
  }
  const QString value = ToQt(text);
  switch (control->form->kind) {
    case ControlKind::Edit: {
      auto* edit = static_cast<QLineEdit*>(control->widget);
      if (edit->text() == value) {
        // Qt stays silent when nothing changes; the platform notifies.
        if (events_) {
          events_->NotifyTextChanged(id);
        }
      } else {
        edit->setText(value);  // textChanged notifies
      }
      break;
    }
    case ControlKind::Label:
      static_cast<QLabel*>(control->widget)->setText(value);
      break;
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::PushButton:
      static_cast<QAbstractButton*>(control->widget)->setText(value);
      break;
    case ControlKind::GroupBox:
      static_cast<QGroupBox*>(control->widget)->setTitle(value);
      break;
    case ControlKind::DropDownList:
      break;
  }
  // What a screen reader announces is what the screen shows.
  const auto followers = namedAfter_.find(control->widget);
  if (followers != namedAfter_.end()) {
    for (QWidget* follower : followers->second) {
      follower->setAccessibleName(value);
    }
  }
}

std::string QtDialogHost::GetText(int id) const {
  const Control* control = Find(id);
  if (!control) {
    return {};
  }
  switch (control->form->kind) {
    case ControlKind::Edit:
      return FromQt(static_cast<QLineEdit*>(control->widget)->text());
    case ControlKind::Label:
      return FromQt(static_cast<QLabel*>(control->widget)->text());
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::PushButton:
      return FromQt(static_cast<QAbstractButton*>(control->widget)->text());
    case ControlKind::GroupBox:
      return FromQt(static_cast<QGroupBox*>(control->widget)->title());
    case ControlKind::DropDownList:
      return FromQt(static_cast<QComboBox*>(control->widget)->currentText());
  }
  return {};
}

void QtDialogHost::SetChecked(int id, bool checked) {
  const Control* control = Find(id);
  if (!control || (control->form->kind != ControlKind::CheckBox &&
                   control->form->kind != ControlKind::RadioButton)) {
    return;
  }
  SetCheckedQuietly(static_cast<QAbstractButton*>(control->widget), checked);
}

bool QtDialogHost::IsChecked(int id) const {
  const Control* control = Find(id);
  if (!control || (control->form->kind != ControlKind::CheckBox &&
                   control->form->kind != ControlKind::RadioButton)) {
    return false;
  }
  return static_cast<QAbstractButton*>(control->widget)->isChecked();
}

namespace {

QComboBox* AsList(const QtDialogHost& host, int id, const DialogTemplate& dialog) {
  const ControlTemplate* form = dialog.Find(id);
  if (!form || form->kind != ControlKind::DropDownList) {
    return nullptr;
  }
  return static_cast<QComboBox*>(host.Widget(id));
}

}  // namespace

void QtDialogHost::ResetList(int id) {
  if (QComboBox* list = AsList(*this, id, template_)) {
    list->clear();
  }
}

int QtDialogHost::AddListEntry(int id, const std::string& text, std::int64_t data) {
  QComboBox* list = AsList(*this, id, template_);
  if (!list) {
    return -1;
  }
  // Qt selects the first entry added to an empty list; the platform selects
  // nothing until told.
  const int selection = list->currentIndex();
  list->addItem(ToQt(text), QVariant::fromValue<qlonglong>(data));
  if (list->currentIndex() != selection) {
    list->setCurrentIndex(selection);
  }
  return list->count() - 1;
}

int QtDialogHost::GetListCount(int id) const {
  const QComboBox* list = AsList(*this, id, template_);
  return list ? list->count() : 0;
}

void QtDialogHost::SetListSelection(int id, int index) {
  if (QComboBox* list = AsList(*this, id, template_)) {
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
  }
}

int QtDialogHost::GetListSelection(int id) const {
  const QComboBox* list = AsList(*this, id, template_);
  return list ? list->currentIndex() : -1;
}

std::string QtDialogHost::GetListText(int id, int index) const {
  const QComboBox* list = AsList(*this, id, template_);
  if (!list || index < 0 || index >= list->count()) {
    return {};
  }
  return FromQt(list->itemText(index));
}

std::int64_t QtDialogHost::GetListData(int id, int index) const {
  const QComboBox* list = AsList(*this, id, template_);
  if (!list || index < 0 || index >= list->count()) {
    return 0;
  }
  return list->itemData(index).toLongLong();
}

void QtDialogHost::SetModified(bool modified) {
  modified_ = modified;
  if (modifiedListener_) {
    modifiedListener_(modified);
  }
}

std::uint32_t QtDialogHost::StartTimer(std::uint32_t id, std::uint32_t periodMs) {
  if (id == 0) {
    return 0;
  }
  QTimer*& timer = timers_[id];
  if (!timer) {
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, id] {
      // Ticks that fall due while anything else runs are dropped by the page.
      if (events_) {
        events_->NotifyTimer(id);
      }
    });
  }
  timer->start(static_cast<int>(std::clamp<std::uint32_t>(periodMs, kMinimumTimerMs, 0x7FFFFFFF)));
  return id;
}

void QtDialogHost::KillTimer(std::uint32_t id) {
  const auto found = timers_.find(id);
  if (found != timers_.end()) {
    // The page may kill its timer from the timer's own tick.
    found->second->stop();
    found->second->deleteLater();
    timers_.erase(found);
  }
}

void QtDialogHost::Beep(std::uint32_t /*frequencyHz*/, std::uint32_t /*durationMs*/) {
  // Qt has no tones; the system's beep tells the same.
  QApplication::beep();
}

std::optional<std::string> QtDialogHost::AskOpenFile() {
  return services_.AskFile(MessageOwner(), WindowServices::FileDialog::Open);
}

std::optional<std::string> QtDialogHost::AskSaveFile() {
  return services_.AskFile(MessageOwner(), WindowServices::FileDialog::Save);
}

}  // namespace kv::ui::qt
