// Where the Open and Save As dialogs start: in the folder of the file last
// chosen, else in the user's Documents. Never in the working folder, which
// for a program started from the Start menu is its shortcut's (often the
// program's own under Program Files, where the user may not write).
#pragma once

#include <string>

namespace kv::ui::win32 {

class FileDialogFolder {
 public:
  // The folder to start in; "" when not even Documents is known (the
  // dialog then picks one itself).
  std::wstring Start() const;
  // `path` was chosen: the next dialog starts in its folder.
  void Chosen(const std::wstring& path);

 private:
  std::wstring last_;
};

// The user's Documents folder (FOLDERID_Documents), "" when it has none.
std::wstring DocumentsFolder();

}  // namespace kv::ui::win32
