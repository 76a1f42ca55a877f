// kv7700-config: the KV7700 configurator's window.
#include <QApplication>
#include <QSessionManager>
#include <QStringList>
#include <cstdio>

#include "program.h"
#include "program_options.h"
#include "quit_signals.h"
#include "single_instance.h"
#include "window_services.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kv7700-config"));

  // Qt has taken its own options (-platform, -style...) out of the list.
  std::vector<std::string> arguments;
  const QStringList given = QCoreApplication::arguments();
  for (qsizetype i = 1; i < given.size(); ++i) {
    arguments.push_back(kv::ui::qt::FromQt(given[i]));
  }
  kv::ui::Options options;
  std::string error;
  if (!kv::ui::ParseProgramOptions(arguments, &options, &error)) {
    std::fprintf(stderr, "kv7700-config: %s\n\n%s", error.c_str(), kv::ui::kUsage);
    return 2;
  }

  // A second start brings the first one's sheet forward and ends.
  kv::ui::qt::SingleInstance instance;
  kv::ui::qt::Program program(options);
  if (kv::ui::OneWindowPerSession(options) &&
      !instance.Claim([&program] { program.ComeForward(); })) {
    return 0;
  }
  int status = 0;
  if (!program.Prepare(&status)) {
    return status;
  }
  // The program ends with the sheet, even with the simulation panel open.
  QApplication::setQuitOnLastWindowClosed(false);
  program.SetClosedListener([&instance] {
    instance.Release();
    QCoreApplication::quit();
  });
  // Logout, shutdown, Ctrl-C or kill: key sends the user halted are resumed
  // at once, even while a reading runs or a message box waits, since the
  // program may be killed soon after; then the sheet closes.
  kv::ui::qt::QuitSignals quitSignals([&program] { program.EndSession(); });
  QObject::connect(&application, &QGuiApplication::commitDataRequest,
                   [&program](QSessionManager&) { program.EndSession(); });
  // Whatever else ends the event loop.
  QObject::connect(&application, &QCoreApplication::aboutToQuit,
                   [&program] { program.EndSession(); });
  program.Show();
  QApplication::exec();
  return program.Finish();
}
