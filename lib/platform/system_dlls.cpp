#include <kv7700/system_dlls.h>

#ifdef _WIN32
#include <windows.h>

#include <string>
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

void* LoadSystemDll(const char* name) {
#ifdef _WIN32
  if (HMODULE module = ::LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
  // Windows 7 without KB2533623 knows no LOAD_LIBRARY_SEARCH_SYSTEM32 and
  // refuses it as a parameter; there the system folder is named in full.
  if (::GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
  char folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::string path = std::string(folder, length) + "\\" + name;
  return ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
#else
  (void)name;
  return nullptr;
#endif
}

}  // namespace kv
