// The Qt tests run on Qt's offscreen platform in one QApplication, made by
// the first test that needs it and kept for the rest of the run.
#pragma once

#include <QApplication>

#include "user_drive.h"

namespace kv::ui::qt::testing {

inline QApplication& TestApplication() {
  static int argc = 1;
  static char name[] = "qt_tests";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  static QApplication* application = new QApplication(argc, argv);
  return *application;
}

// The user's hand, as the window driver has it.
using drive::ClickAsUser;
using drive::ProcessEventsUntil;
using drive::TypeAsUser;

}  // namespace kv::ui::qt::testing
