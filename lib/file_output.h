// Saving a whole file so that a failure never costs the user the file they
// already had: the text goes to a temporary file beside the target, which
// replaces the target only once every byte was written and is on the disk.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace kv {

// The system calls a save makes, behind a seam so that tests can make any
// of them fail the way a full device or a crash does. Each returns false (or
// null) with errno set when the call fails.
class FileOutput {
 public:
  virtual ~FileOutput() = default;
  virtual std::FILE* Open(const char* path, const char* mode);
  // Opens an existing file for writing without emptying it.
  virtual std::FILE* OpenExisting(const char* path);
  // False unless every byte was accepted.
  virtual bool Write(std::FILE* file, std::string_view bytes);
  virtual bool Flush(std::FILE* file);
  // Cuts the file to `length` bytes.
  virtual bool Truncate(std::FILE* file, long length);
  // Makes what was written survive a power cut (fsync).
  virtual bool Sync(std::FILE* file);
  // Always releases the file; false when closing reported an error.
  virtual bool Close(std::FILE* file);
  // Owner, group and mode bits as stat gives them (no-ops on Windows, whose
  // files keep their rights in the folder's inherited ACL).
  virtual bool Chown(std::FILE* file, std::uint32_t owner, std::uint32_t group);
  virtual bool Chmod(std::FILE* file, std::uint32_t mode);
  // Gives `file` the access ACL of the file at `from` (none when it has none).
  virtual bool CopyAcl(std::FILE* file, const char* from);
  virtual bool Rename(const char* from, const char* to);
  virtual bool Remove(const char* path);
  // Makes a rename in `folder` survive a power cut.
  virtual bool SyncFolder(const char* folder);
};

FileOutput& GetFileOutput();
// Installs `output` (nullptr restores the plain system calls). The caller
// keeps ownership.
void SetFileOutput(FileOutput* output);

// How a save went, beyond success or failure.
struct SaveOutcome {
  int error = 0;  // errno of the step that failed; 0 after a success
  // The file was written in place: its folder does not let this user make
  // a new file, or the file has other hard links that a new file would cut
  // off, or its owner or ACL could not be given to a new file.
  bool inPlace = false;
  // The save failed after it had begun to overwrite the file in place: the
  // file may now be incomplete.
  bool fileMayBeIncomplete = false;
  // The new file replaced the old one, but the folder could not be synced,
  // so a power cut could still bring the old one back.
  bool replacedNotSynced = false;
};

// Writes `text` to `path` in text mode, one write per line, following
// symbolic links (a dangling link's target is created). An existing regular
// file is replaced through a temporary file beside it that takes its owner,
// mode and ACL, and only once the whole text is synced to the disk; when
// that cannot be done, it is written in place. A target that exists but is
// not a regular file (a device, a pipe) is written directly. False with
// errno set on any failure; `outcome`, when given, says more.
bool SaveTextFile(const char* path, std::string_view text, SaveOutcome* outcome = nullptr);

}  // namespace kv
