#include <kv7700/save_report.h>

#include <cerrno>
#include <cstring>

namespace kv {

namespace {

// What the user can do about the cause of a failed save.
const char* Advice(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return "This user may not write there: save to a folder you may write to (your home folder, "
             "say), or ask the owner of the file or folder for write access.";
    case EROFS:
      return "The disk is mounted read-only: save to another disk, or remount it for writing.";
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return "The disk (or your share of it) is full: free some space and save again.";
    case ENOENT:
      return "The folder does not exist: create it first, or choose another.";
    case ENOTDIR:
      return "A part of the path is a file, not a folder: check the path.";
    case EISDIR:
      return "That is a folder: give the name of a file in it.";
    case ELOOP:
      return "Its symbolic links lead round in a circle: mend the link or save elsewhere.";
    case EILSEQ:
      return "The name is not UTF-8 text: give it as UTF-8.";
    case ENAMETOOLONG:
      return "The name is too long: choose a shorter name or folder.";
    case EIO:
      return "The disk reported an error: check the disk, then save again or save elsewhere.";
    default:
      return "Check the path and the disk, then save again or save elsewhere.";
  }
}

int ErrorOf(const SaveReport& report) {
  return report.error != 0 ? report.error : EIO;
}

}  // namespace

std::string SaveFailureReason(const std::string& path, const SaveReport& report) {
  return "could not write '" + path + "': " + std::strerror(ErrorOf(report));
}

std::string SaveFailureAdvice(const SaveReport& report) {
  if (report.replacedNotSynced) {
    return "The new file is in place, but it could not be made safe on the disk, so a power cut "
           "may still bring the old one back. Save again to be sure.";
  }
  std::string text = Advice(ErrorOf(report));
  if (report.fileMayBeIncomplete) {
    text +=
        " The file could not be replaced safely (its folder does not allow a new file here), so "
        "it was being written in place and may now be incomplete: save it again once this is "
        "mended.";
  } else {
    text += " A file already there is left as it was.";
  }
  return text;
}

std::string DescribeSaveFailure(const std::string& path, const SaveReport& report) {
  if (report.saved) return {};
  return SaveFailureReason(path, report) + ". " + SaveFailureAdvice(report);
}

}  // namespace kv
