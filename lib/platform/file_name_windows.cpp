// Windows takes names in any script, and paths past MAX_PATH, only through
// its wide calls; the C library's narrow ones go through the ANSI code page.
#include "platform/file_name_windows.h"

#include <kv7700/file_names.h>
#include <windows.h>

#include <cerrno>

#include "platform/file_name.h"

namespace kv {

namespace {

// CreateDirectoryW's limit, the smallest of the calls' MAX_PATH limits.
constexpr std::size_t kShortPathLimit = MAX_PATH - 12;

bool StartsWith(const std::wstring& text, std::wstring_view start) {
  return text.compare(0, start.size(), start) == 0;
}

// The wide name, or false with errno set.
bool WideName(const char* name, std::wstring* wide) {
  if (name == nullptr || *name == '\0') {
    errno = ENOENT;
    return false;
  }
  return SystemPathOf(name, wide);
}

// The wide path for `path`, or false with errno set.
bool WidePath(const std::filesystem::path& path, std::wstring* wide) {
  if (path.empty()) {
    errno = ENOENT;
    return false;
  }
  *wide = SystemPathOf(path);
  return true;
}

// Closes a handle when it goes.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

std::wstring LongPathForm(std::wstring path) {
  if (path.size() < kShortPathLimit || StartsWith(path, L"\\\\?\\") ||
      StartsWith(path, L"\\\\.\\")) {
    return path;
  }
  if (StartsWith(path, L"\\\\")) return L"\\\\?\\UNC\\" + path.substr(2);
  const bool driveAbsolute = path.size() > 2 && path[1] == L':' && path[2] == L'\\';
  return driveAbsolute ? L"\\\\?\\" + path : path;
}

// The absolute form of `path`, as the system would make it; empty when it
// cannot be had.
std::wstring FullPathOf(const std::wstring& path) {
  const DWORD length = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) return {};
  std::wstring full(length, L'\0');
  const DWORD written = ::GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
  if (written == 0 || written >= length) return {};
  full.resize(written);
  return full;
}

namespace {

// The rule of SystemPathOf on a name already in UTF-16.
std::wstring SystemFormOf(std::wstring wide) {
  if (wide.empty() || StartsWith(wide, L"\\\\?\\") || StartsWith(wide, L"\\\\.\\")) return wide;
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  // What MAX_PATH limits is the full path the system makes, so a short
  // relative name in a deep working folder needs the prefix as much as a
  // long one. "\\?\" turns off the system's own handling of ".", ".." and
  // relative names, so the prefixed form is made from the absolute one.
  std::wstring full = FullPathOf(wide);
  return full.size() >= kShortPathLimit ? LongPathForm(std::move(full)) : wide;
}

}  // namespace

bool SystemPathOf(const char* name, std::wstring* path) {
  std::wstring wide;
  if (!WideFromUtf8(name, &wide)) {
    errno = EILSEQ;
    return false;
  }
  *path = SystemFormOf(std::move(wide));
  return true;
}

std::wstring SystemPathOf(const std::filesystem::path& path) {
  return SystemFormOf(path.native());
}

std::wstring AbsoluteSystemPathOf(const std::filesystem::path& path) {
  std::wstring wide = SystemPathOf(path);
  if (!StartsWith(wide, L"\\\\")) {
    if (std::wstring full = FullPathOf(wide); !full.empty()) return full;
  }
  return wide;
}

int ErrnoOfSystemError(unsigned long error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    default:
      return EIO;
  }
}

std::filesystem::path PathFromUtf8(std::string_view name) {
  std::wstring wide;
  // Through the same prefixing rule as every other call, so reads and
  // std::filesystem's calls reach a long path too.
  if (SystemPathOf(std::string(name).c_str(), &wide)) return std::filesystem::path(wide);
  // A name that is not UTF-8 keeps its bytes one to a character; opening it
  // then fails as a missing file would.
  wide.assign(name.begin(), name.end());
  return std::filesystem::path(wide);
}

bool PathFromUtf8(const char* name, std::filesystem::path* path) {
  std::wstring wide;
  if (!WideName(name, &wide)) return false;
  *path = std::filesystem::path(std::move(wide));
  return true;
}

std::string Utf8Of(const std::filesystem::path& path) {
  return Utf8FromWide(path.native());
}

int StatPath(const std::filesystem::path& path, struct stat* info) {
  std::wstring wide;
  if (!WidePath(path, &wide)) return -1;
  // No right to the file's data is needed to learn about it, and folders
  // open only with backup semantics.
  const Handle file(::CreateFileW(wide.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE) {
    errno = ErrnoOfSystemError(::GetLastError());
    return -1;
  }
  *info = {};
  const DWORD type = ::GetFileType(file.Get());
  if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE) {
    info->st_mode = type == FILE_TYPE_CHAR ? _S_IFCHR : _S_IFIFO;
    info->st_nlink = 1;
    return 0;
  }
  BY_HANDLE_FILE_INFORMATION about{};
  if (!::GetFileInformationByHandle(file.Get(), &about)) {
    errno = ErrnoOfSystemError(::GetLastError());
    return -1;
  }
  const bool folder = (about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const bool readOnly = (about.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  info->st_mode = static_cast<unsigned short>((folder ? _S_IFDIR : _S_IFREG) | _S_IREAD |
                                              (readOnly && !folder ? 0 : _S_IWRITE));
  info->st_nlink = static_cast<short>(about.nNumberOfLinks);
  info->st_size = static_cast<_off_t>(about.nFileSizeLow);
  return 0;
}

int AccessPath(const std::filesystem::path& path, int mode) {
  std::wstring wide;
  if (!WidePath(path, &wide)) return -1;
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    errno = ErrnoOfSystemError(::GetLastError());
    return -1;
  }
  const bool readOnly =
      (attributes & FILE_ATTRIBUTE_READONLY) != 0 && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  if ((mode & 2) != 0 && readOnly) {
    errno = EACCES;
    return -1;
  }
  return 0;
}

std::FILE* OpenPath(const std::filesystem::path& path, const char* mode) {
  std::wstring wide;
  std::wstring wideMode;
  if (!WidePath(path, &wide) || !WideFromUtf8(mode, &wideMode)) return nullptr;
  return ::_wfopen(wide.c_str(), wideMode.c_str());
}

std::FILE* OpenFileByName(const char* name, const char* mode) {
  std::wstring wide;
  std::wstring wideMode;
  if (!WideName(name, &wide) || !WideFromUtf8(mode, &wideMode)) return nullptr;
  return ::_wfopen(wide.c_str(), wideMode.c_str());
}

}  // namespace kv
