#include "platform/file_output.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/file_name.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/file_name_windows.h"
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

#ifdef _WIN32
// The attributes a user sets on a file and a save must not take away.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Gives `path` the kept attributes of `old` (INVALID_FILE_ATTRIBUTES: there
// was no old file). ReplaceFileW keeps them on Windows; Wine's does not,
// and a rename never does. A failure here costs an attribute, not the save.
void KeepAttributes(const std::wstring& path, DWORD old) {
  if (old == INVALID_FILE_ATTRIBUTES) return;
  const DWORD now = ::GetFileAttributesW(path.c_str());
  if (now == INVALID_FILE_ATTRIBUTES) return;
  const DWORD wanted = (now & ~kKeptAttributes) | (old & kKeptAttributes);
  if (wanted != now) ::SetFileAttributesW(path.c_str(), wanted);
}
#endif

}  // namespace

bool IsPortableOpenMode(const char* mode) {
  // msvcrt.dll's own flags ("c", "n", "ccs=") are left out too: Linux's
  // C library does not know them.
  if (mode == nullptr) return false;
  const std::string_view text(mode);
  if (text.empty() || text.find_first_not_of("rwa+bt") != std::string_view::npos) return false;
  if (text.find_first_of("rwa", 1) != std::string_view::npos || text.find_first_of("rwa") != 0) {
    return false;
  }
  const auto count = [&](char c) { return std::count(text.begin(), text.end(), c); };
  return count('+') <= 1 && count('b') + count('t') <= 1;
}

std::FILE* FileOutput::Open(const Path& path, const char* mode) {
  // Refused on every system, so a mode Windows would refuse fails here too.
  if (!IsPortableOpenMode(mode)) {
    errno = EINVAL;
    return nullptr;
  }
  return OpenPath(path, mode);
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

std::FILE* FileOutput::CreateNew(const Path& path) {
  const std::wstring wide = SystemPathOf(path);
  // Shared with nobody until it is closed and put in place.
  HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    errno = ErrnoOfSystemError(::GetLastError());
    return nullptr;
  }
  // Text mode, as the template files have always been written on Windows.
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_TEXT);
  if (fd < 0) {
    ::CloseHandle(handle);
    errno = EMFILE;
    return nullptr;
  }
  std::FILE* file = ::_fdopen(fd, "w");
  if (file == nullptr) {
    const int error = errno;
    ::_close(fd);  // closes the handle too
    errno = error;
  }
  return file;
}

std::FILE* FileOutput::OpenExisting(const Path& path) {
  return OpenPath(path, "r+");  // opens without emptying; Windows files are readable
}

bool FileOutput::Truncate(std::FILE* file, long length) {
  return _chsize_s(_fileno(file), length) == 0;
}

bool FileOutput::Sync(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
  if (handle != INVALID_HANDLE_VALUE && ::FlushFileBuffers(handle)) return true;
  errno = handle == INVALID_HANDLE_VALUE ? EBADF : ErrnoOfSystemError(::GetLastError());
  return false;
}

bool FileOutput::Chown(std::FILE*, std::uint32_t, std::uint32_t) {
  return true;
}

bool FileOutput::Chmod(std::FILE*, std::uint32_t) {
  return true;
}

bool FileOutput::CopyAcl(std::FILE*, const Path&) {
  return true;  // Rename's ReplaceFileW carries the old file's ACL over
}

bool FileOutput::Rename(const Path& from, const Path& to) {
  const std::wstring wideFrom = AbsoluteSystemPathOf(from);
  const std::wstring wideTo = AbsoluteSystemPathOf(to);
  const DWORD old = ::GetFileAttributesW(wideTo.c_str());
  // No merge errors ignored: a save that cannot keep the old file's ACL
  // fails and leaves it as it was, rather than drop it.
  if (::ReplaceFileW(wideTo.c_str(), wideFrom.c_str(), nullptr, 0, nullptr, nullptr)) {
    KeepAttributes(wideTo, old);
    return true;
  }
  DWORD error = ::GetLastError();
  // No old file, or (without a backup name) the old one is gone already and
  // the new one kept its own name: the new one takes the name. Wine's
  // ReplaceFileW also refuses "\\?\" names, which Windows documents as
  // taken (ERROR_INVALID_NAME); a rename takes them on both.
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
      error == ERROR_INVALID_NAME) {
    if (::MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      KeepAttributes(wideTo, old);
      return true;
    }
    error = ::GetLastError();
  }
  errno = ErrnoOfSystemError(error);
  return false;
}

bool FileOutput::Remove(const Path& path) {
  if (DeleteFileW(SystemPathOf(path).c_str())) return true;
  errno = ErrnoOfSystemError(GetLastError());
  return false;
}

bool FileOutput::SyncFolder(const Path&) {
  // Windows documents no way to flush a folder's names. A rename asks for
  // MOVEFILE_WRITE_THROUGH; ReplaceFileW has no such flag that works (its
  // REPLACEFILE_WRITE_THROUGH is documented as unsupported), so a power cut
  // right after a replace may still bring the old file back, whole.
  return true;
}

#else

std::FILE* FileOutput::CreateNew(const Path& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "w");
  if (file == nullptr) {
    const int error = errno;
    ::close(fd);
    errno = error;
  }
  return file;
}

std::FILE* FileOutput::OpenExisting(const Path& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
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

bool FileOutput::CopyAcl(std::FILE* file, const Path& from) {
  const ssize_t size = ::getxattr(from.c_str(), kAccessAcl, nullptr, 0);
  if (size < 0) return NoAttribute(errno);
  std::vector<char> acl(static_cast<std::size_t>(size));
  const ssize_t got = ::getxattr(from.c_str(), kAccessAcl, acl.data(), acl.size());
  if (got < 0) return NoAttribute(errno);
  return ::fsetxattr(::fileno(file), kAccessAcl, acl.data(), static_cast<std::size_t>(got), 0) == 0;
}

bool FileOutput::Rename(const Path& from, const Path& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool FileOutput::Remove(const Path& path) {
  return ::unlink(path.c_str()) == 0;
}

bool FileOutput::SyncFolder(const Path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
