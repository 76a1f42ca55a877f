// Text between UTF-8, which the library and its programs keep (file names
// included), and the UTF-16 that Windows' wide calls take and give.
// Defined in the Windows build only.
#pragma once

#include <string>
#include <string_view>

namespace kv {

// False, with `wide` untouched, when `text` is not UTF-8.
bool WideFromUtf8(std::string_view text, std::wstring* wide);
// Characters that are not UTF-16 (a lone surrogate) become U+FFFD.
std::string Utf8FromWide(std::wstring_view text);

}  // namespace kv
