#include "hid/emulated/file_lock.h"

#include <fstream>

#include "file_name.h"

#ifdef _WIN32
#include <windows.h>

#include "file_name_windows.h"
#include "process_name_windows.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "advisory_lock_posix.h"
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
// description are not shut out.
constexpr DWORD kLockedOffset = 0xFFFFFFFE;

HANDLE OpenLockFile(const std::string& path) {
  std::wstring wide;
  if (!SystemPathOf(path.c_str(), &wide)) return INVALID_HANDLE_VALUE;
  return ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

FileLock::FileLock(const std::string& path) : path_(path), file_(OpenLockFile(path)) {}

FileLock::~FileLock() {
  if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
}

bool FileLock::TryTake() {
  if (file_ == INVALID_HANDLE_VALUE) return true;
  OVERLAPPED where = {};
  where.Offset = kLockedOffset;
  if (!::LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where)) {
    return ::GetLastError() != ERROR_LOCK_VIOLATION;
  }
  const std::string text = ThisProgram() + "\n";
  DWORD written = 0;
  ::SetFilePointer(file_, 0, nullptr, FILE_BEGIN);
  ::WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::SetEndOfFile(file_);
  return true;
}

void FileLock::Give() {
  if (file_ == INVALID_HANDLE_VALUE) return;
  OVERLAPPED where = {};
  where.Offset = kLockedOffset;
  ::UnlockFileEx(file_, 0, 1, 0, &where);
}

std::string ThisProgram() {
  return ThisProcessDescription();
}

#else

FileLock::FileLock(const std::string& path)
    : path_(path), fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {}

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileLock::TryTake() {
  if (fd_ < 0) return true;
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

std::string ThisProgram() {
  return DescribeProcess(::getpid());
}

#endif

}  // namespace kv::emu
