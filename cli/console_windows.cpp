#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <kv7700/utf16.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>

#include "console.h"

namespace kv::cli {

namespace {

std::atomic<bool> g_interrupted{false};
// Set by the handler, so a wait on a monitor ends at once. The handler runs
// on a thread of its own, which the system starts for it.
HANDLE g_interruptEvent = nullptr;

BOOL WINAPI OnControl(DWORD kind) {
  if (kind != CTRL_C_EVENT && kind != CTRL_BREAK_EVENT) return FALSE;
  g_interrupted = true;
  if (g_interruptEvent) ::SetEvent(g_interruptEvent);
  return TRUE;
}

// The console's code page before the tool set UTF-8; 0 while unchanged.
std::atomic<UINT> g_givenCodePage{0};

void RestoreCodePage() {
  if (const UINT given = g_givenCodePage.exchange(0)) ::SetConsoleOutputCP(given);
}

// Registered first, so it runs last: for a Ctrl-C or Ctrl-Break that no
// command handles, and for the console being closed, logged off or shut
// down, after which the system ends the process without running atexit.
BOOL WINAPI RestoreOnControl(DWORD) {
  RestoreCodePage();
  return FALSE;  // the system's own handling follows, as before
}

}  // namespace

void PrepareConsole() {
  // The tool writes UTF-8 (file names in any script among it); a console
  // shows it as such only in the UTF-8 code page, given back on every way
  // out, so the user's cmd.exe is left as it was. Pipes and files get the
  // UTF-8 bytes as on Linux. A write to a closed pipe fails (and ends the
  // streaming commands) without killing the process.
  static bool prepared = false;
  if (prepared) return;
  prepared = true;
  const UINT given = ::GetConsoleOutputCP();
  if (given == 0 || given == CP_UTF8) return;
  g_givenCodePage = given;
  ::SetConsoleCtrlHandler(RestoreOnControl, TRUE);
  std::atexit(RestoreCodePage);
  if (!::SetConsoleOutputCP(CP_UTF8)) g_givenCodePage = 0;
}

bool IsTerminal(std::FILE* stream) {
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || !::GetConsoleMode(handle, &mode)) return false;
  if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) return true;
  // Consoles before Windows 10 take no control sequences: no progress line.
  return ::SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

InterruptGuard::InterruptGuard() {
  g_interrupted = false;
  if (!g_interruptEvent) g_interruptEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (g_interruptEvent) ::ResetEvent(g_interruptEvent);
  ::SetConsoleCtrlHandler(OnControl, TRUE);
}

InterruptGuard::~InterruptGuard() {
  ::SetConsoleCtrlHandler(OnControl, FALSE);
}

bool Interrupted() {
  return g_interrupted;
}

std::string ErrorText(int error) {
  wchar_t text[256] = {};
  const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, static_cast<DWORD>(error), 0, text, 256, nullptr);
  std::string message = Utf8FromWide(std::wstring_view(text, length));
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == '.' || message.back() == ' ')) {
    message.pop_back();
  }
  return message.empty() ? "system error " + std::to_string(error) : message;
}

bool WaitReady(hid::WaitObject object, int timeoutMs) {
  HANDLE handles[2] = {object, g_interruptEvent};
  const DWORD count = g_interruptEvent ? 2 : 1;
  const DWORD timeout = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
  return ::WaitForMultipleObjects(count, handles, FALSE, timeout) == WAIT_OBJECT_0;
}

}  // namespace kv::cli
