#include "file_dialog_folder.h"

// clang-format off
#include "win32.h"
#include <knownfolders.h>
#include <shlobj.h>
// clang-format on

namespace kv::ui::win32 {

std::wstring DocumentsFolder() {
  PWSTR path = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_DEFAULT, nullptr, &path)) &&
      path) {
    folder = path;
  }
  CoTaskMemFree(path);  // also after a failure, as the call asks
  return folder;
}

std::wstring FileDialogFolder::Start() const {
  return last_.empty() ? DocumentsFolder() : last_;
}

void FileDialogFolder::Chosen(const std::wstring& path) {
  const std::size_t end = path.find_last_of(L"\\/");
  if (end != std::wstring::npos) {
    // "C:\" keeps its backslash: "C:" alone would mean that drive's working folder.
    last_ = path.substr(0, end == 2 && path[1] == L':' ? end + 1 : end);
  }
}

}  // namespace kv::ui::win32
