// The Qt tests run on Qt's offscreen platform in one QApplication, made by
// the first test that needs it and kept for the rest of the run.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWidget>
#include <functional>

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

// Runs the event loop until `done` holds, for at most `limitMs` of real time
// (events from another thread, such as a hot-plug descriptor, take a moment).
inline bool ProcessEventsUntil(const std::function<bool()>& done, int limitMs = 5000) {
  const QDeadlineTimer deadline(limitMs);
  while (!done()) {
    if (deadline.hasExpired()) {
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// A user's click: press and release over the middle of `widget`.
void ClickAsUser(QWidget* widget);
// A user's key stroke in `widget`.
void TypeAsUser(QWidget* widget, int key, const QString& text = {});

}  // namespace kv::ui::qt::testing
