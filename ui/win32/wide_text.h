// The program keeps text as UTF-8; the platform's wide calls take UTF-16.
// The library's conversions, with the names the host's code reads by.
#pragma once

#include <kv7700/utf16.h>

#include <string>
#include <string_view>

namespace kv::ui::win32 {

// Text that is not UTF-8 keeps its bytes one to a character, as the
// library's file names do.
inline std::wstring Widen(std::string_view text) {
  std::wstring wide;
  if (!WideFromUtf8(text, &wide)) {
    for (const char c : text) {
      wide.push_back(static_cast<unsigned char>(c));
    }
  }
  return wide;
}

inline std::string Narrow(std::wstring_view text) {
  return Utf8FromWide(text);
}

}  // namespace kv::ui::win32
