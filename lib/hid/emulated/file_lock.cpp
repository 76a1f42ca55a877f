#include "hid/emulated/file_lock.h"

#include <fstream>

#include "platform/file_name.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/file_name_windows.h"
#include "platform/process_name_windows.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/advisory_lock_posix.h"
#endif

namespace kv::emu {

std::string FileLock::Holder() const {
  std::ifstream file(PathFromUtf8(path_));
  std::string holder;
  std::getline(file, holder);
  return holder;
}

#ifdef _WIN32

namespace {

// The lock covers one byte far past the description, so readers of the
// description are not shut out; the turn the byte before it.
constexpr DWORD kLockedOffset = 0xFFFFFFFE;
constexpr DWORD kTurnOffset = kLockedOffset - 1;

// A reparse point (a link) is opened as itself, never followed.
HANDLE OpenLockFile(const std::string& path, std::string* error) {
  std::wstring wide;
  if (!SystemPathOf(path.c_str(), &wide)) {
    *error = "the name cannot be used on this system";
    return INVALID_HANDLE_VALUE;
  }
  HANDLE file =
      ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = "Windows error " + std::to_string(::GetLastError());
  } else if (BY_HANDLE_FILE_INFORMATION info{};
             ::GetFileInformationByHandle(file, &info) &&
             (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    ::CloseHandle(file);
    *error = "it is a link; the lock must be a plain file";
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

bool LockByte(HANDLE file, DWORD offset) {
  OVERLAPPED where = {};
  where.Offset = offset;
  return ::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where);
}

void UnlockByte(HANDLE file, DWORD offset) {
  OVERLAPPED where = {};
  where.Offset = offset;
  ::UnlockFileEx(file, 0, 1, 0, &where);
}

}  // namespace

FileLock::FileLock(const std::string& path) : path_(path), file_(OpenLockFile(path, &error_)) {}

FileLock::~FileLock() {
  if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
}

bool FileLock::TryTake() {
  if (file_ == INVALID_HANDLE_VALUE) return false;
  if (!LockByte(file_, kLockedOffset)) return ::GetLastError() != ERROR_LOCK_VIOLATION;
  const std::string text = ThisProgram() + "\n";
  DWORD written = 0;
  ::SetFilePointer(file_, 0, nullptr, FILE_BEGIN);
  ::WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::SetEndOfFile(file_);
  return true;
}

void FileLock::Give() {
  if (file_ != INVALID_HANDLE_VALUE) UnlockByte(file_, kLockedOffset);
}

bool FileLock::TryTakeTurn() {
  if (file_ == INVALID_HANDLE_VALUE) return false;
  return LockByte(file_, kTurnOffset) || ::GetLastError() != ERROR_LOCK_VIOLATION;
}

void FileLock::GiveTurn() {
  if (file_ != INVALID_HANDLE_VALUE) UnlockByte(file_, kTurnOffset);
}

std::string ThisProgram() {
  return ThisProcessDescription();
}

#else

namespace {

// Made for this user alone, and never opened through a symbolic link: no
// other user can take the lock or point it at another file.
int OpenLockFile(const std::string& path, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) *error = errno == ELOOP ? "it is a symbolic link" : std::strerror(errno);
  return fd;
}

}  // namespace

FileLock::FileLock(const std::string& path) : path_(path), fd_(OpenLockFile(path, &error_)) {}

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileLock::TryTake() {
  if (fd_ < 0) return false;
  if (!TryExclusiveFlock(fd_)) return false;
  const std::string text = ThisProgram() + "\n";
  if (::ftruncate(fd_, 0) == 0 && ::pwrite(fd_, text.data(), text.size(), 0) < 0) {
    // The description is a courtesy; the lock holds without it.
  }
  return true;
}

void FileLock::Give() {
  if (fd_ >= 0) ::flock(fd_, LOCK_UN);
}

bool FileLock::TryTakeTurn() {
  return fd_ >= 0 && TryExclusiveTurnLock(fd_);
}

void FileLock::GiveTurn() {
  if (fd_ >= 0) ReleaseTurnLock(fd_);
}

std::string ThisProgram() {
  return DescribeProcess(::getpid());
}

#endif

}  // namespace kv::emu
