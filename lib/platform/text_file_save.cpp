// SaveTextFile: replace through a temporary where the folder allows it,
// write in place where only the file may be written, and tell which.
#include "platform/text_file_save.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include "platform/file_name.h"
#include "platform/file_output.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kv {

namespace {

namespace fs = std::filesystem;

// As many links as the kernel follows before it gives up with ELOOP.
constexpr int kMaxLinks = 40;

// The file `path` names once every symbolic link is followed. A dangling
// link gives the path it points to, so that saving creates the file there.
bool FollowLinks(fs::path path, fs::path* out, int* error) {
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (!fs::is_symlink(status)) {
      *out = path;
      return true;
    }
    const fs::path next = fs::read_symlink(path, ec);
    if (ec) {
      *error = ec.value();
      return false;
    }
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  *error = ELOOP;
  return false;
}

#ifdef _WIN32
int FileNumber(std::FILE* file) {
  return _fileno(file);
}
constexpr int kMayWrite = 2;
#else
int FileNumber(std::FILE* file) {
  return ::fileno(file);
}
constexpr int kMayWrite = W_OK;
#endif

// Failures that mean the folder will not take a new file from this user,
// though the file itself may still be writable.
bool FolderRefuses(int error) {
  return error == EACCES || error == EPERM || error == EROFS;
}

// Writes every line, then flushes.
bool WriteLines(std::FILE* file, std::string_view text) {
  FileOutput& out = GetFileOutput();
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
    if (!out.Write(file, text.substr(0, length))) return false;
    text.remove_prefix(length);
  }
  return out.Flush(file);
}

// The errno of the call that just failed (EIO when it set none).
int LastError() {
  return errno != 0 ? errno : EIO;
}

// Closes `file` after a failure, keeping the failure's errno.
int CloseAfterFailure(std::FILE* file) {
  const int error = LastError();
  GetFileOutput().Close(file);
  return error;
}

// A name in the target's folder that no file has yet; the exclusive
// creation makes sure of it, so a few tries are enough.
std::FILE* CreateTemporaryBeside(const fs::path& target, fs::path* temporary) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::random_device entropy;
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string name = ".kv7700-";
    for (unsigned bits = entropy(), i = 0; i < 8; ++i, bits >>= 4) name += kHex[bits & 0xF];
    name += ".tmp";
    *temporary = target.parent_path() / name;
    errno = 0;
    if (std::FILE* file = GetFileOutput().CreateNew(*temporary)) return file;
    if (errno != EEXIST) return nullptr;  // the folder refuses, not a clash
  }
  return nullptr;
}

fs::path FolderOf(const fs::path& target) {
  const fs::path folder = target.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

// What is left to do when replacing did not work out.
enum class Replace { Done, Failed, InPlace };

// Gives the new file the owner, ACL and mode of the old one. InPlace when
// this user cannot give them, which only writing the old file keeps.
Replace KeepIdentity(std::FILE* file, const fs::path& target, const struct stat& old, int* error) {
  FileOutput& out = GetFileOutput();
  struct stat made {};
  if (::fstat(FileNumber(file), &made) != 0) {
    *error = errno;
    return Replace::Failed;
  }
  if ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
      !out.Chown(file, old.st_uid, old.st_gid)) {
    *error = errno;
    return errno == EPERM ? Replace::InPlace : Replace::Failed;
  }
  if (!out.CopyAcl(file, target)) {
    *error = errno;
    return errno == EPERM || errno == ENOTSUP ? Replace::InPlace : Replace::Failed;
  }
  // After the owner, which clears the set-id bits, and the ACL, whose mask
  // the group bits are. A file system without modes (FAT) may refuse.
  if (!out.Chmod(file, old.st_mode & 07777)) {
    *error = errno;
    return errno == EPERM || errno == ENOTSUP ? Replace::InPlace : Replace::Failed;
  }
  return Replace::Done;
}

// Writes the text to the temporary file, gives it the old file's identity
// and syncs it; the file is closed in any case.
Replace FillTemporary(std::FILE* file, const fs::path& target, std::string_view text,
                      const struct stat* old, int* error) {
  FileOutput& out = GetFileOutput();
  Replace result = Replace::Done;
  if (!WriteLines(file, text)) {
    *error = LastError();
    result = Replace::Failed;
  } else if (old != nullptr) {
    result = KeepIdentity(file, target, *old, error);
  }
  if (result == Replace::Done && !out.Sync(file)) {
    *error = LastError();
    result = Replace::Failed;
  }
  if (result != Replace::Done) {
    CloseAfterFailure(file);
    return result;
  }
  if (!out.Close(file)) {
    *error = LastError();
    return Replace::Failed;
  }
  return Replace::Done;
}

// Writes the text to a temporary file beside `target` and renames it over
// `target`. `old` is the file being replaced, null when there is none.
Replace ReplaceThroughTemporary(const fs::path& target, std::string_view text,
                                const struct stat* old, SaveOutcome* outcome) {
  FileOutput& out = GetFileOutput();
  fs::path temporary;
  std::FILE* file = CreateTemporaryBeside(target, &temporary);
  if (file == nullptr) {
    outcome->error = LastError();
    return old != nullptr && FolderRefuses(outcome->error) ? Replace::InPlace : Replace::Failed;
  }
  Replace result = FillTemporary(file, target, text, old, &outcome->error);
  if (result == Replace::Done && !out.Rename(temporary, target)) {
    outcome->error = LastError();
    result = Replace::Failed;
  }
  if (result != Replace::Done) {
    // A replace that failed half-way may have taken the old file away
    // (ReplaceFileW can): the temporary then holds the only copy, and stays.
    struct stat left {};
    if (old == nullptr || StatPath(target, &left) == 0 || errno != ENOENT) {
      out.Remove(temporary);
    }
    return result;
  }
  if (!out.SyncFolder(FolderOf(target))) {
    outcome->error = LastError();
    outcome->replacedNotSynced = true;
    return Replace::Failed;
  }
  outcome->error = 0;
  return Replace::Done;
}

// The only way left when the folder refuses a new file: overwrite the file,
// then cut it to the new length. A failure on the way may leave it
// incomplete, and says so.
bool WriteInPlace(const fs::path& target, std::string_view text, SaveOutcome* outcome) {
  FileOutput& out = GetFileOutput();
  outcome->inPlace = true;
  outcome->fileMayBeIncomplete = false;
  std::FILE* file = out.OpenExisting(target);
  if (file == nullptr) {
    outcome->error = LastError();
    return false;
  }
  outcome->fileMayBeIncomplete = true;
  bool ok = WriteLines(file, text);
  const long length = ok ? std::ftell(file) : -1;
  ok = ok && length >= 0 && out.Truncate(file, length) && out.Sync(file);
  if (!ok) {
    outcome->error = CloseAfterFailure(file);
    return false;
  }
  if (!out.Close(file)) {
    outcome->error = LastError();
    return false;
  }
  outcome->fileMayBeIncomplete = false;
  outcome->error = 0;
  return true;
}

// A device or a pipe takes the text as it comes; a folder refuses to open.
bool WriteDirectly(const fs::path& target, std::string_view text, SaveOutcome* outcome) {
  FileOutput& out = GetFileOutput();
  std::FILE* file = out.Open(target, "w");
  if (file == nullptr || !WriteLines(file, text)) {
    outcome->error = file == nullptr ? LastError() : CloseAfterFailure(file);
    return false;
  }
  if (!out.Close(file)) {
    outcome->error = LastError();
    return false;
  }
  return true;
}

// Whether this user may write the file itself (renaming over a file needs
// no right to write it, so this is asked first).
bool MayWrite(const fs::path& target, int* error) {
  if (AccessPath(target, kMayWrite) == 0) return true;
  *error = errno;
  return false;
}

bool Save(const fs::path& path, std::string_view text, SaveOutcome* outcome) {
  *outcome = {};
  if (path.empty()) {
    outcome->error = ENOENT;
    return false;
  }
  fs::path target;
  if (!FollowLinks(path, &target, &outcome->error)) return false;
  struct stat old {};
  if (StatPath(target, &old) != 0) {
    if (errno != ENOENT) {
      outcome->error = errno;
      return false;
    }
    // A new file, or the one a dangling link names.
    return ReplaceThroughTemporary(target, text, nullptr, outcome) == Replace::Done;
  }
  if (!S_ISREG(old.st_mode)) return WriteDirectly(target, text, outcome);
  if (!MayWrite(target, &outcome->error)) return false;
  // A file known by more than one name keeps them all only when written in
  // place: a rename would give this name a new file and leave the others.
  if (old.st_nlink > 1) return WriteInPlace(target, text, outcome);
  switch (ReplaceThroughTemporary(target, text, &old, outcome)) {
    case Replace::Done:
      return true;
    case Replace::Failed:
      return false;
    case Replace::InPlace:
      return WriteInPlace(target, text, outcome);
  }
  return false;
}

}  // namespace

bool SaveTextFile(const fs::path& path, std::string_view text, SaveOutcome* outcome) {
  SaveOutcome scratch;
  SaveOutcome& result = outcome != nullptr ? *outcome : scratch;
  const bool ok = Save(path, text, &result);
  errno = ok ? 0 : result.error;
  return ok;
}

bool SaveTextFile(const char* name, std::string_view text, SaveOutcome* outcome) {
  fs::path path;
  if (!PathFromUtf8(name, &path)) {
    const int error = errno;
    if (outcome != nullptr) {
      *outcome = {};
      outcome->saved = false;
      outcome->error = error;
    }
    errno = error;
    return false;
  }
  return SaveTextFile(path, text, outcome);
}

}  // namespace kv
