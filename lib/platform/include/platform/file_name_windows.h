// UTF-8 names into the wide paths Windows' own calls take.
#pragma once

#include <kv7700/utf16.h>

#include <filesystem>
#include <string>

namespace kv {

// The form of an absolute path with backslashes that the wide calls take
// at any length: a path that MAX_PATH could cut gets "\\?\" ("\\?\UNC\" for
// a share). Short, relative and already prefixed paths stay as they are.
std::wstring LongPathForm(std::wstring path);

// The wide path for a UTF-8 name, the one rule every file call (reads
// included) goes through: slashes turned to backslashes, and a name whose
// full path MAX_PATH could cut (a short relative name in a deep working
// folder too) made absolute and given LongPathForm. False with errno EILSEQ
// when the name is not UTF-8.
bool SystemPathOf(const char* name, std::wstring* path);

// The same rule for a path, already UTF-16: nothing is converted again.
std::wstring SystemPathOf(const std::filesystem::path& path);

// SystemPathOf, made absolute whatever its length: ReplaceFileW needs it
// so under Wine (which fails relative names with ERROR_DIRECTORY).
std::wstring AbsoluteSystemPathOf(const std::filesystem::path& path);

// The errno value nearest to a GetLastError() code.
int ErrnoOfSystemError(unsigned long error);

}  // namespace kv
