// File names as the library takes them: UTF-8 on every platform. On Windows
// they reach the system through its wide (UTF-16) calls, so a name in any
// script works, and so does a path longer than 260 characters.
#pragma once

#include <cstdio>

namespace kv {

// fopen() for a UTF-8 name, with fopen's modes. Null with errno set on
// failure (EILSEQ when the name is not UTF-8).
std::FILE* OpenFileByName(const char* name, const char* mode);

}  // namespace kv
