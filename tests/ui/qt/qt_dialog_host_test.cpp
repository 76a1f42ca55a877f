#include "qt_dialog_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <atomic>
#include <cmath>
#include <thread>

#include "dialog_units.h"
#include "qt_test_app.h"
#include "ui/host_contract.h"
#include "ui/recording_events.h"

namespace kv::ui::qt {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The user at a page's widgets, through the events Qt delivers.
class QtDriver {
 public:
  static constexpr bool kBusyWindow = true;

  DialogHost& Open(int templateId, DialogEvents& events) {
    dialog_ = std::make_unique<QtDialogHost>(*FindDialogTemplate(templateId), services_);
    dialog_->SetEvents(&events);
    dialog_->show();
    return *dialog_;
  }
  void Type(int id, char c) {
    QWidget* widget = dialog_->Widget(id);
    widget->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      edit->end(false);
    }
    const QChar character = QChar::fromLatin1(c);
    testing::TypeAsUser(widget, character.toUpper().unicode(), QString(character));
  }
  void Click(int id) { testing::ClickAsUser(dialog_->Widget(id)); }
  void ChooseNext(int id) { testing::TypeAsUser(dialog_->Widget(id), Qt::Key_Down); }
  bool AwaitTick(std::uint32_t /*id*/, const std::function<bool()>& arrived, int limitMs) {
    return testing::ProcessEventsUntil(arrived, limitMs);
  }
  // The user acts from the event loop while the runner waits for the work.
  void WhileBusy(const std::function<void()>& user) {
    std::atomic<bool> acted{false};
    QTimer::singleShot(0, dialog_.get(), [&] {
      user();
      acted = true;
    });
    runner_.Run(
        [&] {
          while (!acted) std::this_thread::yield();
        },
        {"Holding the window busy", 0});
  }

 private:
  QApplication& application_ = testing::TestApplication();
  BusyRunner runner_;
  WindowServices services_{runner_};
  std::unique_ptr<QtDialogHost> dialog_;
};

}  // namespace
}  // namespace kv::ui::qt

namespace kv::ui::testing {
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, HostContract, qt::QtDriver);
}  // namespace kv::ui::testing

namespace kv::ui::qt {
namespace {

class QtDialogHostTest : public ::testing::Test {
 protected:
  QtDialogHost& Dialog(int templateId) {
    dialog_ = std::make_unique<QtDialogHost>(*FindDialogTemplate(templateId), services_);
    dialog_->SetEvents(&events);
    dialog_->show();
    return *dialog_;
  }

  QApplication& application_ = testing::TestApplication();
  BusyRunner runner_;
  WindowServices services_{runner_};
  std::unique_ptr<QtDialogHost> dialog_;
  ui::testing::RecordingEvents events;
};

// What voice control and screen readers send: the accessibility interface's
// actions, which toggle a box without clicking it.
void DoAccessibleAction(QWidget* widget, const QString& action) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
  ASSERT_NE(accessible, nullptr);
  ASSERT_NE(accessible->actionInterface(), nullptr);
  ASSERT_TRUE(accessible->actionInterface()->actionNames().contains(action));
  accessible->actionInterface()->doAction(action);
  QApplication::processEvents();
}

TEST_F(QtDialogHostTest, AccessibilityActionsReachThePageAsClicksDo) {
  QtDialogHost& misc = Dialog(110);
  const QString toggle = QAccessibleActionInterface::toggleAction();
  DoAccessibleAction(misc.Widget(1039), toggle);  // a check box, on
  DoAccessibleAction(misc.Widget(1039), toggle);  // and off
  DoAccessibleAction(misc.Widget(1041), toggle);  // a radio button: checks it
  DoAccessibleAction(misc.Widget(1041), toggle);  // already checked: stays
  testing::ClickAsUser(misc.Widget(1041));        // a click on it still tells
  DoAccessibleAction(misc.Widget(1043), toggle);  // a second radio button
  EXPECT_THAT(events.log,
              ElementsAre("click 1039", "click 1039", "click 1041", "click 1041", "click 1043"));
  EXPECT_FALSE(misc.IsChecked(1039));
  EXPECT_TRUE(misc.IsChecked(1043));

  // While library work runs the page cannot hear: the box keeps its state.
  events.log.clear();
  std::atomic<bool> acted{false};
  QTimer::singleShot(0, &misc, [&] {
    DoAccessibleAction(misc.Widget(1039), toggle);
    acted = true;
  });
  runner_.Run(
      [&] {
        while (!acted) std::this_thread::yield();
      },
      {"Holding the window busy", 0});
  EXPECT_THAT(events.log, IsEmpty());
  EXPECT_FALSE(misc.IsChecked(1039));
}

TEST_F(QtDialogHostTest, ScreenReadersAnnounceTheTextTheScreenShows) {
  QtDialogHost& sonar = Dialog(107);
  const auto name = [&](int id) {
    return QAccessible::queryAccessibleInterface(sonar.Widget(id))->text(QAccessible::Name);
  };
  ASSERT_EQ(name(1047), QStringLiteral("( 0 to 255 sec )"));
  sonar.SetText(1047, "( 0 to 15 sec )");
  EXPECT_EQ(name(1047), QStringLiteral("( 0 to 15 sec )"));
  EXPECT_EQ(static_cast<QLabel*>(sonar.Widget(1047))->text(), QStringLiteral("( 0 to 15 sec )"));
}

TEST(DialogUnitsTest, AQuarterCharacterAcrossAndAnEighthLineDown) {
  (void)testing::TestApplication();  // fonts need the application
  const DialogUnits units(6.0, 13.0);
  EXPECT_EQ(units.X(4), 6);
  EXPECT_EQ(units.Y(8), 13);
  EXPECT_EQ(units.X(7), 11);  // 10.5 rounds away from zero
  // Both edges are scaled: 11..86 across, 11..34 down.
  EXPECT_EQ(units.Rect(7, 7, 50, 14), QRect(11, 11, 75, 23));
  EXPECT_EQ(units.Size(370, 249), QSize(555, 405));

  // A font's letters, not its narrower declared average, set the width.
  QFont font = QApplication::font();
  font.setPixelSize(20);
  const QFontMetricsF metrics(font);
  const DialogUnits measured(font);
  const double letters = metrics.horizontalAdvance(QStringLiteral(
                             "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ")) /
                         52;
  EXPECT_DOUBLE_EQ(measured.CharWidth(), std::max(letters, metrics.averageCharWidth()));
  EXPECT_EQ(measured.LineHeight(), std::ceil(metrics.height()));
}

// Pixels from dialog units for the dialog's own font measure.
QRect Place(double charWidth, double lineHeight, const ControlTemplate& control) {
  const auto x = [&](int units) { return static_cast<int>(std::lround(units * charWidth / 4)); };
  const auto y = [&](int units) { return static_cast<int>(std::lround(units * lineHeight / 8)); };
  return {QPoint(x(control.x), y(control.y)),
          QPoint(x(control.x + control.width) - 1, y(control.y + control.height) - 1)};
}

TEST_F(QtDialogHostTest, EveryControlCarriesItsIdNameStateAndPlace) {
  for (const DialogTemplate& form : DialogTemplates()) {
    SCOPED_TRACE("dialog " + std::to_string(form.id));
    QtDialogHost& dialog = Dialog(form.id);
    const DialogUnits units(dialog.font());
    const double charWidth = units.CharWidth();
    const double lineHeight = units.LineHeight();
    EXPECT_EQ(dialog.size(), QSize(static_cast<int>(std::lround(form.width * charWidth / 4)),
                                   static_cast<int>(std::lround(form.height * lineHeight / 8))));
    for (const ControlTemplate& control : form.controls) {
      if (control.id == kIdStatic) {
        continue;
      }
      SCOPED_TRACE("control " + std::to_string(control.id));
      QWidget* widget = dialog.Widget(control.id);
      ASSERT_NE(widget, nullptr);
      EXPECT_EQ(widget->accessibleDescription(), QStringLiteral("id %1").arg(control.id));
      EXPECT_EQ(widget->accessibleName(), ToQt(AccessibleName(form, control)));
      if (!control.hidden && (control.kind == ControlKind::Edit ||
                              control.kind == ControlKind::DropDownList || !control.text.empty())) {
        EXPECT_FALSE(widget->accessibleName().isEmpty());
      }
      EXPECT_EQ(dialog.IsEnabled(control.id), !control.disabled);
      EXPECT_EQ(dialog.IsVisible(control.id), !control.hidden);
      const QRect place = Place(charWidth, lineHeight, control);
      EXPECT_EQ(widget->pos(), place.topLeft());
      EXPECT_GE(widget->width(), place.width());  // one-line texts may grow into free room
      if (control.kind == ControlKind::Edit) {
        auto* edit = static_cast<QLineEdit*>(widget);
        EXPECT_EQ(edit->validator() != nullptr, control.style.digitsOnly);
        EXPECT_EQ(edit->isReadOnly(), control.style.readOnly);
      }
    }
  }
  // Names taken from the label before a field.
  QtDialogHost& sonar = Dialog(107);
  EXPECT_EQ(sonar.Widget(1026)->accessibleName(), QStringLiteral("Minimum Detection Distance"));
}

TEST_F(QtDialogHostTest, NoTextIsClipped) {
  for (const DialogTemplate& form : DialogTemplates()) {
    QtDialogHost& dialog = Dialog(form.id);
    for (const ControlTemplate& control : form.controls) {
      if (control.text.empty() || control.kind == ControlKind::Edit ||
          control.kind == ControlKind::GroupBox) {
        continue;
      }
      SCOPED_TRACE("dialog " + std::to_string(form.id) + " \"" + control.text + "\"");
      const QWidget* widget = nullptr;
      for (const QObject* child : dialog.children()) {
        const auto* candidate = qobject_cast<const QWidget*>(child);
        if (candidate && candidate->accessibleName() == ToQt(AccessibleName(form, control)) &&
            candidate->geometry().topLeft() ==
                DialogUnits(dialog.font()).Rect(control.x, control.y, 1, 1).topLeft()) {
          widget = candidate;
        }
      }
      ASSERT_NE(widget, nullptr);
      const auto* label = qobject_cast<const QLabel*>(widget);
      if (label && label->wordWrap()) {
        EXPECT_LE(label->heightForWidth(label->width()), label->height());
      } else {
        EXPECT_LE(widget->sizeHint().width(), widget->width());
      }
    }
  }
}

}  // namespace
}  // namespace kv::ui::qt
