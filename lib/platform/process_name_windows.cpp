#include "platform/process_name_windows.h"

#include <kv7700/utf16.h>
#include <windows.h>

namespace kv {

namespace {

// The program's full path in any script and at any length: the wide call,
// asked again with more room while it fills the buffer (its sign of a cut).
std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  while (path.size() <= 32768) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
  return {};
}

}  // namespace

std::string ThisProcessDescription() {
  std::string name = Utf8FromWide(ProgramPath());
  name = name.substr(name.find_last_of("\\/") + 1);
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0)
    name.resize(name.size() - 4);
  return name + ", process " + std::to_string(::GetCurrentProcessId());
}

}  // namespace kv
