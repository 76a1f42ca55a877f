// kv7700-config: the KV7700 configurator's window.
#include <QApplication>
#include <QSessionManager>
#include <QStringList>
#include <cstdio>

#include "program_options.h"
#include "quit_signals.h"
#include "session.h"
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

  kv::ui::qt::Session session(options);
  int status = 0;
  if (!session.Prepare(&status)) {
    return status;
  }
  // The program ends with the sheet, even with the simulation panel open.
  QApplication::setQuitOnLastWindowClosed(false);
  session.SetClosedListener([] { QCoreApplication::quit(); });
  // Logout, shutdown, Ctrl-C or kill: the sheet closes as Cancel does, so a
  // sensor whose key sends the user halted is not left halted.
  kv::ui::qt::QuitSignals quitSignals([&session] { session.RequestQuit(); });
  QObject::connect(&application, &QGuiApplication::commitDataRequest,
                   [&session](QSessionManager&) { session.RequestQuit(); });
  session.Show();
  QApplication::exec();
  return session.Finish();
}
