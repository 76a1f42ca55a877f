#include "window_services.h"

#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

namespace kv::ui::qt {

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::Ok:
      break;
  }
  return QMessageBox::Ok;
}

MessageResult FromQtButton(int button) {
  switch (button) {
    case QMessageBox::Cancel:
      return MessageResult::Cancel;
    case QMessageBox::Yes:
      return MessageResult::Yes;
    case QMessageBox::No:
      return MessageResult::No;
    default:
      return MessageResult::Ok;
  }
}

}  // namespace

QString ToQt(const std::string& text) {
  return QString::fromStdString(text);
}

std::string FromQt(const QString& text) {
  return text.toStdString();
}

WindowServices::WindowServices(BusyRunner& runner)
    : HostServices(runner, &ShowMessageBox, &ShowFileDialog) {}

void WindowServices::BeginWaitCursor() {
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void WindowServices::EndWaitCursor() {
  QGuiApplication::restoreOverrideCursor();
}

MessageResult WindowServices::ShowMessageBox(QWidget* owner, const MessageRequest& request) {
  QMessageBox box(ToQtIcon(request.icon), ToQt(request.caption), ToQt(request.text),
                  ToQtButtons(request.buttons), owner);
  // So that the commands a message gives can be copied into a terminal.
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  // The box is answered with the pointer, even under the wait cursor.
  QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
  const int button = box.exec();
  QGuiApplication::restoreOverrideCursor();
  return FromQtButton(button);
}

std::optional<std::string> WindowServices::ShowFileDialog(QWidget* owner, FileDialog dialog) {
  QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
  const QString path = dialog == FileDialog::Open
                           ? QFileDialog::getOpenFileName(owner, QObject::tr("Open"))
                           : QFileDialog::getSaveFileName(owner, QObject::tr("Save As"));
  QGuiApplication::restoreOverrideCursor();
  if (path.isEmpty()) {
    return std::nullopt;
  }
  // The library opens the file by its name in the system's encoding.
  return QFile::encodeName(path).toStdString();
}

}  // namespace kv::ui::qt
