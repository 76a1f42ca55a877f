// POSIX names are bytes; UTF-8 ones pass through unchanged.
#include <kv7700/file_names.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_name.h"

namespace kv {

std::filesystem::path PathFromUtf8(std::string_view name) {
  return std::filesystem::path(std::string(name));
}

bool PathFromUtf8(const char* name, std::filesystem::path* path) {
  if (name == nullptr || *name == '\0') {
    errno = ENOENT;
    return false;
  }
  *path = std::filesystem::path(name);
  return true;
}

std::string Utf8Of(const std::filesystem::path& path) {
  return path.string();
}

int StatPath(const std::filesystem::path& path, struct stat* info) {
  return ::stat(path.c_str(), info);
}

int AccessPath(const std::filesystem::path& path, int mode) {
  return ::access(path.c_str(), mode);
}

std::FILE* OpenPath(const std::filesystem::path& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

std::FILE* OpenFileByName(const char* name, const char* mode) {
  return std::fopen(name, mode);
}

}  // namespace kv
