// A stand-in for a DLL planted beside a program under a system DLL's name
// (hid.dll, setupapi.dll): loading it leaves a mark file beside it, which a
// program that loads system DLLs from the system folder never makes.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID /*reserved*/) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH - 16) return TRUE;
  // One name whatever the DLL was loaded as ("HID.DLL", "hid.dll").
  wchar_t* slash = path + length;
  while (slash > path && slash[-1] != L'\\') --slash;
  lstrcpyW(slash, L"planted.loaded");
  const HANDLE mark =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
  return TRUE;
}
