// Saving a whole file so that a failure never costs the user the file they
// already had: the text goes to a temporary file beside the target, which
// replaces the target only once every byte was written and is on the disk.
#pragma once

#include <kv7700/save_report.h>

#include <filesystem>
#include <string_view>

namespace kv {

// How a save went, beyond success or failure (`saved` is the caller's to set).
using SaveOutcome = SaveReport;

// Writes `text` to `path` in text mode, one write per line, following
// symbolic links (a dangling link's target is created). An existing regular
// file is replaced through a temporary file beside it that takes its owner,
// mode and ACL, and only once the whole text is synced to the disk; when
// that cannot be done, it is written in place. A target that exists but is
// not a regular file (a device, a pipe) is written directly. False with
// errno set on any failure; `outcome`, when given, says more.
bool SaveTextFile(const std::filesystem::path& path, std::string_view text,
                  SaveOutcome* outcome = nullptr);
// The same for a caller's UTF-8 name, made a path once here: ENOENT for a
// null or empty name, EILSEQ for one that is not UTF-8 (Windows).
bool SaveTextFile(const char* name, std::string_view text, SaveOutcome* outcome = nullptr);

}  // namespace kv
