// Drives the configurator's window on the sensors really present, as a user
// would, and prints what the window shows at each step, one line each:
//
//   started: sensors 1, caption "KV7700 ..., DeviceFW 4.10", MinDistance 14
//   applied: MinDistance 20, Apply enabled no
//   pulled: sensors 0, caption "..."
//   plugged: sensors 1, caption "...", MinDistance 14
//
// It types MIN_DISTANCE on the Sonar page and presses Apply, then waits for
// the sensor to be pulled out and for one to be plugged in, each for up to
// SECONDS (default 60). Every message box is printed ("message: TEXT") and
// answered at once. Run by scripts/guest-programs-test in a virtual machine,
// on Qt's offscreen platform; exits 1 when a step did not happen.
//
//   kv7700-drive-window MIN_DISTANCE [SECONDS]
//
// With `compare`, the window runs on the emulated sensor kept in FILE, which
// other programs may write too. After its start-up it prints "started: ..."
// and waits for a line on its standard input (the time for another program
// to write the sensor), then types MIN_DISTANCE and presses Apply. A
// question with Yes, No and Cancel is answered ANSWER (yes, no or cancel);
// every message's first line is printed ("message: TEXT"). It prints
// "applied: ..." and closes the sheet with Cancel.
//
//   kv7700-drive-window compare FILE ANSWER MIN_DISTANCE
#include <kv7700/kv7700.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>

#include "program.h"
#include "qt_dialog_host.h"
#include "sheet_window.h"
#include "sonar_page.h"
#include "user_drive.h"

namespace {

using kv::ui::SNRPage;
using kv::ui::qt::Program;
using kv::ui::qt::SheetWindow;

using kv::ui::qt::drive::ClickAsUser;
using kv::ui::qt::drive::ProcessEventsUntil;

std::string Caption(const SheetWindow& window) {
  return window.windowTitle().toStdString();
}

std::string MinDistance(const SheetWindow& window) {
  const kv::ui::qt::QtDialogHost* sonar = window.PageDialog(2);
  return sonar ? sonar->GetText(SNRPage::kIdMinDistance) : std::string("(no Sonar page)");
}

void Say(const char* format, const std::string& a, const std::string& b = {}) {
  std::printf(format, a.c_str(), b.c_str());
  std::fflush(stdout);
}

// Types `minDistance` on the Sonar page and presses Apply.
void TypeAndApply(SheetWindow& window, const QString& minDistance) {
  window.Tabs()->setCurrentIndex(2);
  kv::ui::qt::QtDialogHost* sonar = window.PageDialog(2);
  if (auto* field =
          sonar ? qobject_cast<QLineEdit*>(sonar->Widget(SNRPage::kIdMinDistance)) : nullptr) {
    field->setText(minDistance);
    // Leaving the field for another control, as the user does before Apply.
    ClickAsUser(sonar->Widget(SNRPage::kIdOutOfRangeDelay));
    ClickAsUser(window.ApplyButton());
  }
}

// Prepares the session, shows its sheet and waits up to `waitMs` for the
// start-up's read; null (with the status) when the start-up ended the program.
SheetWindow* ShowAndStart(Program& session, int waitMs, int* status) {
  if (!session.Prepare(status)) {
    Say("ended at start-up: status %s\n", std::to_string(*status));
    return nullptr;
  }
  SheetWindow& window = *session.Window();
  window.show();
  session.StartNow();
  ProcessEventsUntil([&] { return !window.ProgressShowing(); }, waitMs);
  return &window;
}

int RealSensors(const QString& minDistance, int waitMs) {
  Program session(kv::ui::Options{});
  session.Services().SetMessagePresenter([](QWidget*, const kv::ui::MessageRequest& request) {
    Say("message: %s\n", request.text);
    return request.buttons == kv::ui::MessageButtons::YesNo ? kv::ui::MessageResult::Yes
                                                            : kv::ui::MessageResult::Ok;
  });
  int status = 0;
  SheetWindow* shown = ShowAndStart(session, 5000, &status);
  if (shown == nullptr) {
    return status;
  }
  SheetWindow& window = *shown;
  window.Tabs()->setCurrentIndex(2);
  std::printf("started: sensors %d, caption \"%s\", MinDistance %s\n", kv::GetDeviceCount(),
              Caption(window).c_str(), MinDistance(window).c_str());
  std::fflush(stdout);

  bool steps = false;
  if (window.PageDialog(2)) {
    TypeAndApply(window, minDistance);
    ProcessEventsUntil([&] { return !window.ApplyButton()->isEnabled(); }, waitMs);
    Say("applied: MinDistance %s, Apply enabled %s\n", MinDistance(window),
        window.ApplyButton()->isEnabled() ? "yes" : "no");

    std::printf("waiting for the sensor to be pulled out\n");
    std::fflush(stdout);
    const std::string before = Caption(window);
    if (ProcessEventsUntil([&] { return kv::GetDeviceCount() == 0 && Caption(window) != before; },
                           waitMs)) {
      const std::string pulled = Caption(window);
      Say("pulled: sensors 0, caption \"%s\"\n", pulled);
      std::printf("waiting for a sensor to be plugged in\n");
      std::fflush(stdout);
      if (ProcessEventsUntil([&] { return kv::GetDeviceCount() > 0 && Caption(window) != pulled; },
                             waitMs)) {
        ProcessEventsUntil([&] { return !window.ProgressShowing(); }, 5000);
        std::printf("plugged: sensors %d, caption \"%s\", MinDistance %s\n", kv::GetDeviceCount(),
                    Caption(window).c_str(), MinDistance(window).c_str());
        std::fflush(stdout);
        steps = true;
      }
    }
  }
  if (!steps) {
    Say("stopped: sensors %s, caption \"%s\"\n", std::to_string(kv::GetDeviceCount()),
        Caption(window));
  }
  session.EndSession();
  const int finished = session.Finish();
  return steps ? finished : 1;
}

int Compare(const std::string& file, const std::string& answer, const QString& minDistance) {
  const kv::ui::MessageResult given = answer == "yes"  ? kv::ui::MessageResult::Yes
                                      : answer == "no" ? kv::ui::MessageResult::No
                                                       : kv::ui::MessageResult::Cancel;
  kv::ui::Options options;
  options.simulate = true;
  options.simulateFiles = {file};
  Program session(options);
  session.Services().SetMessagePresenter([given](QWidget*, const kv::ui::MessageRequest& request) {
    Say("message: %s\n", request.text.substr(0, request.text.find('\n')));
    if (request.buttons == kv::ui::MessageButtons::YesNoCancel) {
      return given;
    }
    return request.buttons == kv::ui::MessageButtons::YesNo ? kv::ui::MessageResult::Yes
                                                            : kv::ui::MessageResult::Ok;
  });
  int status = 0;
  SheetWindow* shown = ShowAndStart(session, 60000, &status);
  if (shown == nullptr) {
    return status;
  }
  SheetWindow& window = *shown;
  Say("started: MinDistance %s\n", MinDistance(window));
  std::string line;
  std::getline(std::cin, line);
  // The sheet's Apply runs to its end (the question answered) before the
  // click returns.
  TypeAndApply(window, minDistance);
  ProcessEventsUntil([&] { return !window.ProgressShowing(); }, 60000);
  Say("applied: MinDistance %s, Apply enabled %s\n", MinDistance(window),
      window.ApplyButton()->isEnabled() ? "yes" : "no");
  ClickAsUser(window.CancelButton());
  return session.Finish();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  if (argc == 5 && std::string(argv[1]) == "compare") {
    return Compare(argv[2], argv[3], QString::fromLocal8Bit(argv[4]));
  }
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr,
                 "usage: kv7700-drive-window MIN_DISTANCE [SECONDS]\n"
                 "       kv7700-drive-window compare FILE yes|no|cancel MIN_DISTANCE\n");
    return 2;
  }
  return RealSensors(QString::fromLocal8Bit(argv[1]), (argc > 2 ? std::atoi(argv[2]) : 60) * 1000);
}
