#include "file_output.h"

#include <kv7700/file_names.h>

#include <cerrno>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "file_name_windows.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace kv {

namespace {

FileOutput& SystemOutput() {
  static FileOutput output;
  return output;
}

FileOutput* g_output = nullptr;

#ifndef _WIN32
// The extended attribute that holds a file's access ACL on Linux.
constexpr const char* kAccessAcl = "system.posix_acl_access";

bool NoAttribute(int error) {
  return error == ENODATA || error == ENOTSUP;
}
#endif

}  // namespace

std::FILE* FileOutput::Open(const char* path, const char* mode) {
  return OpenFileByName(path, mode);
}

bool FileOutput::Write(std::FILE* file, std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool FileOutput::Flush(std::FILE* file) {
  return std::fflush(file) == 0;
}

bool FileOutput::Close(std::FILE* file) {
  return std::fclose(file) == 0;
}

#ifdef _WIN32

std::FILE* FileOutput::OpenExisting(const char* path) {
  return OpenFileByName(path, "r+");  // opens without emptying; Windows files are readable
}

bool FileOutput::Truncate(std::FILE* file, long length) {
  return _chsize_s(_fileno(file), length) == 0;
}

bool FileOutput::Sync(std::FILE* file) {
  return _commit(_fileno(file)) == 0;
}

bool FileOutput::Chown(std::FILE*, std::uint32_t, std::uint32_t) {
  return true;
}

bool FileOutput::Chmod(std::FILE*, std::uint32_t) {
  return true;
}

bool FileOutput::CopyAcl(std::FILE*, const char*) {
  return true;  // a new file inherits the folder's ACL, as the old one did
}

bool FileOutput::Rename(const char* from, const char* to) {
  std::wstring wideFrom;
  std::wstring wideTo;
  if (!SystemPathOf(from, &wideFrom) || !SystemPathOf(to, &wideTo)) return false;
  // rename() refuses an existing target on Windows.
  if (MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  errno = ErrnoOfSystemError(GetLastError());
  return false;
}

bool FileOutput::Remove(const char* path) {
  std::wstring wide;
  if (!SystemPathOf(path, &wide)) return false;
  if (DeleteFileW(wide.c_str())) return true;
  errno = ErrnoOfSystemError(GetLastError());
  return false;
}

bool FileOutput::SyncFolder(const char*) {
  return true;  // MOVEFILE_WRITE_THROUGH made the rename durable
}

#else

std::FILE* FileOutput::OpenExisting(const char* path) {
  const int fd = ::open(path, O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "w");  // "w" on a descriptor does not truncate
  if (file == nullptr) {
    const int error = errno;
    ::close(fd);
    errno = error;
  }
  return file;
}

bool FileOutput::Truncate(std::FILE* file, long length) {
  return ::ftruncate(::fileno(file), static_cast<off_t>(length)) == 0;
}

bool FileOutput::Sync(std::FILE* file) {
  return ::fsync(::fileno(file)) == 0;
}

bool FileOutput::Chown(std::FILE* file, std::uint32_t owner, std::uint32_t group) {
  return ::fchown(::fileno(file), static_cast<uid_t>(owner), static_cast<gid_t>(group)) == 0;
}

bool FileOutput::Chmod(std::FILE* file, std::uint32_t mode) {
  return ::fchmod(::fileno(file), static_cast<mode_t>(mode)) == 0;
}

bool FileOutput::CopyAcl(std::FILE* file, const char* from) {
  const ssize_t size = ::getxattr(from, kAccessAcl, nullptr, 0);
  if (size < 0) return NoAttribute(errno);
  std::vector<char> acl(static_cast<std::size_t>(size));
  const ssize_t got = ::getxattr(from, kAccessAcl, acl.data(), acl.size());
  if (got < 0) return NoAttribute(errno);
  return ::fsetxattr(::fileno(file), kAccessAcl, acl.data(), static_cast<std::size_t>(got), 0) == 0;
}

bool FileOutput::Rename(const char* from, const char* to) {
  return std::rename(from, to) == 0;
}

bool FileOutput::Remove(const char* path) {
  return ::unlink(path) == 0;
}

bool FileOutput::SyncFolder(const char* folder) {
  const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  // Some file systems cannot sync a folder and say so with EINVAL; there is
  // nothing more to do on them.
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
  const int error = errno;
  ::close(fd);
  errno = error;
  return ok;
}

#endif

FileOutput& GetFileOutput() {
  return g_output != nullptr ? *g_output : SystemOutput();
}

void SetFileOutput(FileOutput* output) {
  g_output = output;
}

}  // namespace kv
