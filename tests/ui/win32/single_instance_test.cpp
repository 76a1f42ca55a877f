// kv7700-config.exe started twice in one session: the second brings the
// first one's sheet forward and ends.
#include "single_instance.h"

#include <gtest/gtest.h>

#include <string>

#include "wide_text.h"
#include "win32.h"

namespace kv::ui::win32 {
namespace {

// Long enough for a program under Wine; the waits end on their event.
constexpr DWORD kGuardMs = 60000;
constexpr DWORD kLookMs = 50;

PROCESS_INFORMATION StartConfigurator() {
  std::wstring command = L"\"" + Widen(KV7700_CONFIG_PATH) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "cannot start " << KV7700_CONFIG_PATH << ": " << GetLastError();
  }
  return process;
}

struct Search {
  DWORD processId;
  HWND sheet;
};

BOOL CALLBACK FindSheetOf(HWND window, LPARAM search) {
  auto& s = *reinterpret_cast<Search*>(search);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t caption[64] = {};
  GetWindowTextW(window, caption, 64);
  if (owner == s.processId && std::wstring(caption).rfind(L"KV7700 ", 0) == 0) {
    s.sheet = window;
    return FALSE;
  }
  return TRUE;
}

DWORD EndedWith(const PROCESS_INFORMATION& process) {
  DWORD status = STILL_ACTIVE;
  if (WaitForSingleObject(process.hProcess, kGuardMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &status);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return status;
}

TEST(SingleInstanceTest, ASecondStartBringsTheFirstSheetForwardAndEnds) {
  const PROCESS_INFORMATION first = StartConfigurator();
  ASSERT_NE(first.hProcess, nullptr);
  // Until the first one's sheet is up.
  Search search{first.dwProcessId, nullptr};
  for (DWORD waited = 0; !search.sheet && waited < kGuardMs; waited += kLookMs) {
    if (WaitForSingleObject(first.hProcess, kLookMs) == WAIT_OBJECT_0) {
      break;  // ended early
    }
    EnumWindows(&FindSheetOf, reinterpret_cast<LPARAM>(&search));
  }
  if (!search.sheet) {
    TerminateProcess(first.hProcess, 1);
    EndedWith(first);
    FAIL() << "the first start showed no sheet";
  }
  ShowWindow(search.sheet, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(search.sheet));

  const PROCESS_INFORMATION second = StartConfigurator();
  ASSERT_NE(second.hProcess, nullptr);
  EXPECT_EQ(EndedWith(second), 0u);
  EXPECT_FALSE(IsIconic(search.sheet));
  EXPECT_TRUE(IsWindowVisible(search.sheet));

  PostMessageW(search.sheet, WM_CLOSE, 0, 0);
  const DWORD status = EndedWith(first);
  EXPECT_EQ(status, 0u);
}

}  // namespace
}  // namespace kv::ui::win32
