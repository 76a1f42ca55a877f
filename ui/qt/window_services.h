// What every window of the configurator shares: waits and library work
// through the busy runner, the wait cursor, message boxes and file dialogs.
// Message boxes and file dialogs go through replaceable presenters, so tests
// answer them without a modal window.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "busy_runner.h"
#include "dialog_host.h"

class QWidget;

namespace kv::ui::qt {

class WindowServices {
 public:
  using MessagePresenter = std::function<MessageResult(QWidget* owner, const MessageRequest&)>;
  enum class FileDialog { Open, Save };
  using FilePresenter =
      std::function<std::optional<std::string>(QWidget* owner, FileDialog dialog)>;

  explicit WindowServices(BusyRunner& runner);

  BusyRunner& Runner() { return runner_; }

  // A modal message box owned by `owner` (null: by no window).
  MessageResult ShowMessage(QWidget* owner, const MessageRequest& request);
  // The chosen path, or nothing when the user cancelled. The save dialog
  // asks before it replaces a file.
  std::optional<std::string> AskFile(QWidget* owner, FileDialog dialog);
  void Pause(std::uint32_t ms) { runner_.Wait(ms); }
  void BeginWaitCursor();
  void EndWaitCursor();

  void SetMessagePresenter(MessagePresenter presenter);
  void SetFilePresenter(FilePresenter presenter);

  // The real ones.
  static MessageResult ShowMessageBox(QWidget* owner, const MessageRequest& request);
  static std::optional<std::string> ShowFileDialog(QWidget* owner, FileDialog dialog);

 private:
  BusyRunner& runner_;
  MessagePresenter messages_;
  FilePresenter files_;
};

// The window host of the start-up checks: message boxes owned by no window.
class OwnerlessHost final : public WindowHost {
 public:
  explicit OwnerlessHost(WindowServices& services) : services_(services) {}
  MessageResult ShowMessage(const MessageRequest& request) override {
    return services_.ShowMessage(nullptr, request);
  }
  void Pause(std::uint32_t ms) override { services_.Pause(ms); }
  void BeginWaitCursor() override { services_.BeginWaitCursor(); }
  void EndWaitCursor() override { services_.EndWaitCursor(); }

 private:
  WindowServices& services_;
};

QString ToQt(const std::string& text);
std::string FromQt(const QString& text);

}  // namespace kv::ui::qt
