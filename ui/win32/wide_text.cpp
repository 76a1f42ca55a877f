#include "wide_text.h"

#include <kv7700/utf16.h>

#include "win32.h"

namespace kv::ui::win32 {

std::wstring Widen(std::string_view text) {
  if (text.empty()) {
    return {};
  }
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string Narrow(std::wstring_view text) {
  return Utf8FromWide(text);
}

}  // namespace kv::ui::win32
