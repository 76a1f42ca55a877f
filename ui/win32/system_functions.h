// The functions the host takes from oleacc.dll. It is no KnownDLL: imported,
// Windows would take an oleacc.dll lying beside the program before WinMain
// runs. Looked up at run time from the system folder instead; a function
// missing stays null and the host does without it.
#pragma once

#include "win32.h"

namespace kv::ui::win32 {

struct OleaccFunctions {
  using CreateStdAccessibleObjectFunction = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
  using LresultFromObjectFunction = LRESULT(WINAPI*)(REFIID, WPARAM, IUnknown*);
  using AccessibleObjectFromWindowFunction = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);

  CreateStdAccessibleObjectFunction createStdAccessibleObject = nullptr;
  LresultFromObjectFunction lresultFromObject = nullptr;
  // What a screen reader calls (the tests ask as a reader asks).
  AccessibleObjectFromWindowFunction accessibleObjectFromWindow = nullptr;
};

// Loaded on first use and kept for the run.
const OleaccFunctions& Oleacc();

}  // namespace kv::ui::win32
