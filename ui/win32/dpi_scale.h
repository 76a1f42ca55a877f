// Pixels at the window's dots per inch. The program declares per-monitor
// awareness (its manifest), so Windows no longer stretches its windows'
// bitmaps: what the host places in pixels it scales itself, from the 96 dpi
// its measures were taken at. Dialog units scale with the dialog font,
// which the dialog manager makes at the window's dpi.
#pragma once

#include "win32.h"

namespace kv::ui::win32 {

inline constexpr UINT kBaseDpi = 96;

// The window's dpi: its monitor's under per-monitor v2 awareness (Windows
// 10 1703 and later), the system's before (the manifest asks for system
// awareness where only v1 exists).
UINT WindowDpi(HWND window);
// `pixels` measured at 96 dpi, at `dpi`.
inline int ScaleToDpi(int pixels, UINT dpi) {
  return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kBaseDpi));
}
// The system's message font at `dpi` (the size the user chose, as large as
// at the system's own dpi).
LOGFONTW MessageFontForDpi(UINT dpi);

}  // namespace kv::ui::win32
