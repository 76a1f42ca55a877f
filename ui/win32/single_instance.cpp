#include "single_instance.h"

namespace kv::ui::win32 {

namespace {

// The first start makes its sheet within moments; a later start looks for
// it this often, this many times.
constexpr DWORD kLookEveryMs = 100;
constexpr int kLooks = 50;
constexpr UINT kAnswerTimeoutMs = 1000;

BOOL CALLBACK FindSheet(HWND window, LPARAM found) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (lstrcmpW(className, L"#32770") != 0) {
    return TRUE;  // not a dialog window
  }
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(window, SingleInstance::ComeForwardMessage(), 0, 0, SMTO_ABORTIFHUNG,
                          kAnswerTimeoutMs, &answer) != 0 &&
      static_cast<LRESULT>(answer) == SingleInstance::kAnswer) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

UINT SingleInstance::ComeForwardMessage() {
  static const UINT message = RegisterWindowMessageW(L"KV7700-Config-ComeForward");
  return message;
}

SingleInstance::~SingleInstance() {
  if (mutex_) {
    CloseHandle(mutex_);
  }
}

bool SingleInstance::Claim() {
  for (int look = 0; look < kLooks; ++look) {
    mutex_ = CreateMutexW(nullptr, FALSE, L"Local\\KV7700-Config");
    if (!mutex_) {
      return true;  // no mutex to be had: run as before
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      return true;
    }
    CloseHandle(mutex_);
    mutex_ = nullptr;
    HWND sheet = nullptr;
    EnumWindows(&FindSheet, reinterpret_cast<LPARAM>(&sheet));
    if (sheet) {
      // This process has just been started by the user, so it may give the
      // first one the foreground.
      SetForegroundWindow(sheet);
      return false;
    }
    Sleep(kLookEveryMs);
  }
  return false;
}

}  // namespace kv::ui::win32
