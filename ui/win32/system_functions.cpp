#include "system_functions.h"

#include <string>

namespace kv::ui::win32 {

namespace {

template <typename Function>
Function Find(HMODULE module, const char* name) {
  if (!module) {
    return nullptr;
  }
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

OleaccFunctions LoadOleacc() {
  // Kept loaded: the objects handed to readers run its code.
  const HMODULE module = LoadSystemLibrary(L"oleacc.dll");
  OleaccFunctions found;
  found.createStdAccessibleObject =
      Find<OleaccFunctions::CreateStdAccessibleObjectFunction>(module, "CreateStdAccessibleObject");
  found.lresultFromObject =
      Find<OleaccFunctions::LresultFromObjectFunction>(module, "LresultFromObject");
  found.accessibleObjectFromWindow = Find<OleaccFunctions::AccessibleObjectFromWindowFunction>(
      module, "AccessibleObjectFromWindow");
  return found;
}

}  // namespace

HMODULE LoadSystemLibrary(const wchar_t* name) {
  if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return module;
  }
  // Windows 7 without KB2533623 refuses the flag; there the system folder is
  // named in full.
  if (GetLastError() != ERROR_INVALID_PARAMETER) {
    return nullptr;
  }
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return nullptr;
  }
  const std::wstring path = std::wstring(folder, length) + L"\\" + name;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

const OleaccFunctions& Oleacc() {
  static const OleaccFunctions functions = LoadOleacc();
  return functions;
}

}  // namespace kv::ui::win32
