#include "window_services.h"

#include <array>

#include "file_dialog_folder.h"
#include "wide_text.h"
#include "win32.h"

namespace kv::ui::win32 {

namespace {

UINT IconFlags(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return MB_ICONINFORMATION;
    case MessageIcon::Warning:
      return MB_ICONWARNING;
    case MessageIcon::Error:
      return MB_ICONERROR;
    case MessageIcon::Question:
      return MB_ICONQUESTION;
    case MessageIcon::None:
      break;
  }
  return 0;
}

UINT ButtonFlags(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::OkCancel:
      return MB_OKCANCEL;
    case MessageButtons::YesNo:
      return MB_YESNO;
    case MessageButtons::YesNoCancel:
      return MB_YESNOCANCEL;
    case MessageButtons::Ok:
      break;
  }
  return MB_OK;
}

MessageResult FromButton(int button) {
  switch (button) {
    case IDCANCEL:
      return MessageResult::Cancel;
    case IDYES:
      return MessageResult::Yes;
    case IDNO:
      return MessageResult::No;
    default:
      return MessageResult::Ok;
  }
}

HCURSOR WaitCursorShape() {
  return LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));  // IDC_WAIT
}

}  // namespace

WindowServices::WindowServices(BusyRunner& runner)
    : HostServices(runner, &ShowMessageBox, &ShowFileDialog) {}

void WindowServices::BeginWaitCursor() {
  ++waitCursors_;
  SetCursor(WaitCursorShape());
}

void WindowServices::EndWaitCursor() {
  if (waitCursors_ > 0 && --waitCursors_ == 0) {
    SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));  // IDC_ARROW
  }
}

MessageResult WindowServices::ShowMessageBox(HWND owner, const MessageRequest& request) {
  const int button = MessageBoxW(owner, Widen(request.text).c_str(), Widen(request.caption).c_str(),
                                 IconFlags(request.icon) | ButtonFlags(request.buttons) |
                                     (owner ? MB_APPLMODAL : MB_TASKMODAL));
  return FromButton(button);
}

std::optional<std::string> WindowServices::ShowFileDialog(HWND owner, FileDialog dialog) {
  // The wide dialogs: a name in any script, handed on as UTF-8. The buffer
  // holds the longest path the wide calls take.
  std::array<wchar_t, 32768> path{};
  OPENFILENAMEW request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = owner;
  request.lpstrFilter = L"All Files (*.*)\0*.*\0";
  request.lpstrFile = path.data();
  request.nMaxFile = static_cast<DWORD>(path.size());
  request.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
  // One for the program's life, shared by both dialogs.
  static FileDialogFolder folder;
  const std::wstring start = folder.Start();
  request.lpstrInitialDir = start.empty() ? nullptr : start.c_str();
  bool chosen = false;
  if (dialog == FileDialog::Open) {
    request.lpstrTitle = L"Open";
    request.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    chosen = GetOpenFileNameW(&request) != FALSE;
  } else {
    request.lpstrTitle = L"Save As";
    request.Flags |= OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    chosen = GetSaveFileNameW(&request) != FALSE;
  }
  if (!chosen) {
    return std::nullopt;
  }
  folder.Chosen(path.data());
  return Narrow(path.data());
}

}  // namespace kv::ui::win32
