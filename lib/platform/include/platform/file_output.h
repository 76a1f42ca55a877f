// The system calls a file save makes, behind a seam so that tests can make
// any of them fail the way a full device or a crash does.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string_view>

namespace kv {

// Each call returns false (or null) with errno set when it fails. Paths
// come as the save made them from the caller's name, in the system's own
// form (UTF-16 on Windows): nothing here converts a name again.
class FileOutput {
 public:
  using Path = std::filesystem::path;

  virtual ~FileOutput() = default;
  // `mode` is one the C runtime documents everywhere, msvcrt.dll's included
  // ("r", "w", "a", "+", "b", "t"; no "x"): see IsPortableOpenMode.
  virtual std::FILE* Open(const Path& path, const char* mode);
  // Makes a file that must not exist yet (EEXIST when it does), open for
  // writing in text mode: O_EXCL on POSIX, CreateFileW's CREATE_NEW on Windows.
  virtual std::FILE* CreateNew(const Path& path);
  // Opens an existing file for writing without emptying it.
  virtual std::FILE* OpenExisting(const Path& path);
  // False unless every byte was accepted.
  virtual bool Write(std::FILE* file, std::string_view bytes);
  virtual bool Flush(std::FILE* file);
  // Cuts the file to `length` bytes.
  virtual bool Truncate(std::FILE* file, long length);
  // Makes what was written survive a power cut (fsync, FlushFileBuffers).
  virtual bool Sync(std::FILE* file);
  // Always releases the file; false when closing reported an error.
  virtual bool Close(std::FILE* file);
  // Owner, group and mode bits as stat gives them (no-ops on Windows, where
  // Rename's ReplaceFileW carries the old file's owner, ACL and attributes).
  virtual bool Chown(std::FILE* file, std::uint32_t owner, std::uint32_t group);
  virtual bool Chmod(std::FILE* file, std::uint32_t mode);
  // Gives `file` the access ACL of the file at `from` (none when it has none).
  virtual bool CopyAcl(std::FILE* file, const Path& from);
  // Puts `from` in the place of `to`. On Windows an existing `to` is
  // replaced with ReplaceFileW, so the new file keeps its ACL, owner (where
  // this user may set it), attributes (hidden, say) and alternate streams.
  virtual bool Rename(const Path& from, const Path& to);
  virtual bool Remove(const Path& path);
  // Makes a rename in `folder` survive a power cut.
  virtual bool SyncFolder(const Path& folder);
};

// Whether `mode` is an fopen mode every C runtime we run on documents:
// msvcrt.dll, which MinGW links, refuses C11's "x" (Wine's accepts it).
bool IsPortableOpenMode(const char* mode);

FileOutput& GetFileOutput();
// Installs `output` (nullptr restores the plain system calls). The caller
// keeps ownership.
void SetFileOutput(FileOutput* output);

}  // namespace kv
