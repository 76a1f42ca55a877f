// The program keeps text as UTF-8; the platform's wide calls take UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace kv::ui::win32 {

std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);

}  // namespace kv::ui::win32
