// Why the last WriteDevCfgToFile failed, in words a person can act on.
#pragma once

#include <string>

namespace kv {

struct SaveReport {
  bool saved = true;
  int error = 0;  // errno of the step that failed
  // The folder would not take a new file (or the file has other hard links,
  // or an owner or ACL a new file could not be given), so the file itself
  // was written in place.
  bool inPlace = false;
  // A save in place failed part-way: the file may now be incomplete.
  bool fileMayBeIncomplete = false;
  // The new file is there, but syncing its folder failed.
  bool replacedNotSynced = false;
};

// How the last WriteDevCfgToFile of this process went.
SaveReport GetLastSaveReport();

// "could not write 'office.txt': Permission denied. This user may not ...":
// what went wrong, what became of the file, and what to do. Empty when
// `report` is of a save that succeeded.
std::string DescribeSaveFailure(const std::string& path, const SaveReport& report);

}  // namespace kv
