// How a save of a template file went, and why it failed in words a person
// can act on.
#pragma once

#include <string>

namespace kv {

struct SaveReport {
  bool saved = true;
  int error = 0;  // errno of the step that failed; 0 after a success
  // The folder would not take a new file (or the file has other hard links
  // that a new file would cut off, or an owner or ACL a new file could not
  // be given), so the file itself was written in place.
  bool inPlace = false;
  // A save in place failed part-way: the file may now be incomplete.
  bool fileMayBeIncomplete = false;
  // The new file is there, but syncing its folder failed.
  bool replacedNotSynced = false;
};

// "could not write 'office.txt': Permission denied": what went wrong.
std::string SaveFailureReason(const std::string& path, const SaveReport& report);
// "This user may not write there: ... A file already there is left as it
// was.": what to do, and what became of the file.
std::string SaveFailureAdvice(const SaveReport& report);
// Reason and advice in one text; empty when `report` is of a save that
// succeeded.
std::string DescribeSaveFailure(const std::string& path, const SaveReport& report);

}  // namespace kv
