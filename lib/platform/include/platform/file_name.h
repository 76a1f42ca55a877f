// The library's file calls by path. A caller's UTF-8 name becomes a path
// once, where it enters the library (PathFromUtf8); below that, paths go
// down as they are: bytes on POSIX, UTF-16 on Windows (see
// <kv7700/file_names.h>).
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace kv {

// On Windows through the long-path rule of every file call
// (file_name_windows.h). A name that is not UTF-8 keeps its bytes one to a
// character there, so that opening it fails as a missing file would.
std::filesystem::path PathFromUtf8(std::string_view name);
// The same, but false with errno set when the name cannot name a file:
// ENOENT for a null or empty one, EILSEQ for one that is not UTF-8 (on
// Windows; POSIX names are bytes).
bool PathFromUtf8(const char* name, std::filesystem::path* path);
std::string Utf8Of(const std::filesystem::path& path);

// stat(), access() and fopen() by path: 0 (a file) or -1 (null) with errno
// set on failure.
int StatPath(const std::filesystem::path& path, struct stat* info);
int AccessPath(const std::filesystem::path& path, int mode);
std::FILE* OpenPath(const std::filesystem::path& path, const char* mode);

}  // namespace kv
