// What every window of the configurator shares: waits and library work
// through the busy runner, the wait cursor, message boxes and file dialogs.
// Message boxes and file dialogs go through replaceable presenters, so tests
// answer them without a modal window.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "busy_runner.h"
#include "dialog_host.h"
#include "win32.h"

namespace kv::ui::win32 {

class WindowServices {
 public:
  using MessagePresenter = std::function<MessageResult(HWND owner, const MessageRequest&)>;
  enum class FileDialog { Open, Save };
  using FilePresenter = std::function<std::optional<std::string>(HWND owner, FileDialog dialog)>;

  explicit WindowServices(BusyRunner& runner);

  BusyRunner& Runner() { return runner_; }

  // A modal message box owned by `owner` (null: by no window).
  MessageResult ShowMessage(HWND owner, const MessageRequest& request);
  // The chosen path in the system's code page (the library opens files by
  // such names), or nothing when the user cancelled. The save dialog asks
  // before it replaces a file.
  std::optional<std::string> AskFile(HWND owner, FileDialog dialog);
  void Pause(std::uint32_t ms) { runner_.Wait(ms); }
  // Nested; windows ask WaitCursorShowing when the pointer moves over them.
  void BeginWaitCursor();
  void EndWaitCursor();
  bool WaitCursorShowing() const { return waitCursors_ > 0 || runner_.Busy(); }

  void SetMessagePresenter(MessagePresenter presenter);
  void SetFilePresenter(FilePresenter presenter);

  // The real ones.
  static MessageResult ShowMessageBox(HWND owner, const MessageRequest& request);
  static std::optional<std::string> ShowFileDialog(HWND owner, FileDialog dialog);

 private:
  BusyRunner& runner_;
  MessagePresenter messages_;
  FilePresenter files_;
  int waitCursors_ = 0;
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

}  // namespace kv::ui::win32
