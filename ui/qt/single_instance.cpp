#include "single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace kv::ui::qt {

namespace {

// How long a start waits for the first configurator to take its call.
constexpr int kConnectMs = 2000;

// The display the program shows on, as a file-name part.
QString DisplayName() {
  QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
  if (display.isEmpty()) {
    display = qEnvironmentVariable("DISPLAY");
  }
  if (display.isEmpty()) {
    display = QGuiApplication::platformName();
  }
  for (QChar& c : display) {
    if (!c.isLetterOrNumber() && c != QLatin1Char('.')) {
      c = QLatin1Char('_');
    }
  }
  return display;
}

}  // namespace

QString SingleInstance::DefaultName() {
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  const QString file = QStringLiteral("kv7700-config-") + DisplayName();
  if (!runtime.isEmpty()) {
    return QDir(runtime).filePath(file);
  }
  return QDir(QDir::tempPath()).filePath(file + QLatin1Char('-') + QString::number(::getuid()));
}

SingleInstance::SingleInstance(QString name) : name_(std::move(name)) {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
}

bool SingleInstance::Claim(std::function<void()> comeForward) {
  // Two starts at once: one looks and listens while the other waits.
  // A lock kept too long (a start that hangs) does not keep this one out.
  QLockFile lock(name_ + QStringLiteral(".lock"));
  static_cast<void>(lock.tryLock(kConnectMs));

  QLocalSocket first;
  first.connectToServer(name_);
  if (first.waitForConnected(kConnectMs)) {
    first.disconnectFromServer();
    return false;
  }
  // No one listens: a socket left by a configurator that crashed goes.
  QLocalServer::removeServer(name_);
  if (server_.listen(name_)) {
    QObject::connect(&server_, &QLocalServer::newConnection, &server_,
                     [this, comeForward = std::move(comeForward)] {
                       while (QLocalSocket* call = server_.nextPendingConnection()) {
                         call->deleteLater();
                         comeForward();
                       }
                     });
  }
  return true;
}

void SingleInstance::Release() {
  server_.close();
}

}  // namespace kv::ui::qt
