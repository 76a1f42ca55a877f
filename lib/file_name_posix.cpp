// POSIX names are bytes; UTF-8 ones pass through unchanged.
#include <kv7700/file_names.h>
#include <unistd.h>

#include "file_name.h"

namespace kv {

std::filesystem::path PathFromUtf8(std::string_view name) {
  return std::filesystem::path(std::string(name));
}

std::string Utf8Of(const std::filesystem::path& path) {
  return path.string();
}

int StatByName(const char* name, struct stat* info) {
  return ::stat(name, info);
}

int AccessByName(const char* name, int mode) {
  return ::access(name, mode);
}

std::FILE* OpenFileByName(const char* name, const char* mode) {
  return std::fopen(name, mode);
}

}  // namespace kv
