// The library's file calls by UTF-8 name (see <kv7700/file_names.h>): paths
// made from such names and back, stat() and access().
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace kv {

std::filesystem::path PathFromUtf8(std::string_view name);
std::string Utf8Of(const std::filesystem::path& path);

// stat() and access() by a UTF-8 name: 0, or -1 with errno set.
int StatByName(const char* name, struct stat* info);
int AccessByName(const char* name, int mode);

}  // namespace kv
