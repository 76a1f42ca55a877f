#include <kv7700/system_dlls.h>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace kv {

void LoadDllsFromSystemFolderOnly() {
#ifdef _WIN32
  // Looked up, not imported: Windows 7 has it only with KB2533623. Without
  // it, the current folder at least leaves the search.
  using SetDefault = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  const FARPROC found = kernel ? ::GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
  const auto setDefault = reinterpret_cast<SetDefault>(reinterpret_cast<void (*)()>(found));
  if (setDefault == nullptr || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) ::SetDllDirectoryW(L"");
#endif
}

}  // namespace kv
