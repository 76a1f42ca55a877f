#include "file_output.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace kv {

namespace {

// The extended attribute that holds a file's access ACL on Linux.
constexpr const char* kAccessAcl = "system.posix_acl_access";

bool NoAttribute(int error) {
  return error == ENODATA || error == ENOTSUP;
}

FileOutput& SystemOutput() {
  static FileOutput output;
  return output;
}

FileOutput* g_output = nullptr;

}  // namespace

std::FILE* FileOutput::Open(const char* path, const char* mode) {
  return std::fopen(path, mode);
}

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

bool FileOutput::Write(std::FILE* file, std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool FileOutput::Flush(std::FILE* file) {
  return std::fflush(file) == 0;
}

bool FileOutput::Truncate(std::FILE* file, long length) {
  return ::ftruncate(::fileno(file), static_cast<off_t>(length)) == 0;
}

bool FileOutput::Sync(std::FILE* file) {
  return ::fsync(::fileno(file)) == 0;
}

bool FileOutput::Close(std::FILE* file) {
  return std::fclose(file) == 0;
}

bool FileOutput::Chown(std::FILE* file, uid_t owner, gid_t group) {
  return ::fchown(::fileno(file), owner, group) == 0;
}

bool FileOutput::Chmod(std::FILE* file, mode_t mode) {
  return ::fchmod(::fileno(file), mode) == 0;
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

FileOutput& GetFileOutput() {
  return g_output != nullptr ? *g_output : SystemOutput();
}

void SetFileOutput(FileOutput* output) {
  g_output = output;
}

}  // namespace kv
