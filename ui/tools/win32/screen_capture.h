// A window as it shows on the screen, saved as a PNG file through the
// platform's imaging component (WIC).
#pragma once

#include <windows.h>

#include <string>

namespace kv::test {

bool SaveWindowAsPng(HWND window, const std::wstring& path);

}  // namespace kv::test
