// What every window of the configurator on Windows shares: the wait cursor
// and the real message boxes and file dialogs behind the shared presenters.
#pragma once

#include <optional>
#include <string>

#include "busy_runner.h"
#include "dialog_host.h"
#include "host_services.h"
#include "win32.h"

namespace kv::ui::win32 {

class WindowServices final : public HostServices<HWND, BusyRunner> {
 public:
  explicit WindowServices(BusyRunner& runner);

  // Nested; windows ask WaitCursorShowing when the pointer moves over them.
  void BeginWaitCursor();
  void EndWaitCursor();
  bool WaitCursorShowing() { return waitCursors_ > 0 || Runner().Busy(); }

  // The real ones.
  static MessageResult ShowMessageBox(HWND owner, const MessageRequest& request);
  static std::optional<std::string> ShowFileDialog(HWND owner, FileDialog dialog);

 private:
  int waitCursors_ = 0;
};

using OwnerlessHost = ui::OwnerlessHost<WindowServices>;

}  // namespace kv::ui::win32
