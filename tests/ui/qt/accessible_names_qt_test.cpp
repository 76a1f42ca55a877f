// What a screen reader hears for the pages' fields on Linux, asked of Qt's
// accessibility as AT-SPI asks it: the names the Windows host gives too.
#include <gtest/gtest.h>

#include <QAccessible>
#include <memory>

#include "qt_dialog_host.h"
#include "qt_test_app.h"
#include "ui/accessible_name_table.h"
#include "window_services.h"

namespace kv::ui::qt {
namespace {

QString ReaderName(QWidget* widget) {
  QAccessibleInterface* object = QAccessible::queryAccessibleInterface(widget);
  return object ? object->text(QAccessible::Name) : QStringLiteral("(no object)");
}

TEST(AccessibleNamesQtTest, EveryControlOfThePagesHasTheSharedName) {
  QApplication& application = testing::TestApplication();
  (void)application;
  BusyRunner runner;
  WindowServices services(runner);
  for (const DialogTemplate& form : DialogTemplates()) {
    QtDialogHost dialog(form, services);
    for (const ControlTemplate& control : form.controls) {
      if (control.id == kIdStatic) {
        continue;
      }
      SCOPED_TRACE("dialog " + std::to_string(form.id) + " control " + std::to_string(control.id));
      QString expected = ToQt(control.text);
      if (control.kind == ControlKind::Edit || control.kind == ControlKind::DropDownList) {
        expected = QStringLiteral("(no row)");
        for (const auto& row : ui::testing::kFieldAccessibleNames) {
          if (row.templateId == form.id && row.controlId == control.id) {
            expected = QString::fromUtf8(row.name);
          }
        }
      }
      EXPECT_EQ(ReaderName(dialog.Widget(control.id)), expected);
    }
  }
}

}  // namespace
}  // namespace kv::ui::qt
