// What every Qt window of the configurator shares: the wait cursor and the
// real message boxes and file dialogs behind the shared presenters.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "busy_runner.h"
#include "dialog_host.h"
#include "host_services.h"

class QWidget;

namespace kv::ui::qt {

class WindowServices final : public HostServices<QWidget*, BusyRunner> {
 public:
  explicit WindowServices(BusyRunner& runner);

  void BeginWaitCursor();
  void EndWaitCursor();

  // The real ones.
  static MessageResult ShowMessageBox(QWidget* owner, const MessageRequest& request);
  static std::optional<std::string> ShowFileDialog(QWidget* owner, FileDialog dialog);
};

using OwnerlessHost = ui::OwnerlessHost<WindowServices>;

QString ToQt(const std::string& text);
std::string FromQt(const QString& text);

}  // namespace kv::ui::qt
