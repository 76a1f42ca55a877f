// The Windows headers as the backend uses them: the lean set (as the whole
// build has it), without the min and max macros, plus the HID and
// device-installation declarations (types only: both libraries are loaded
// at run time, never linked).
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h first: these need its types.
#include <hidsdi.h>
#include <kv7700/kv7700.h>
#include <setupapi.h>

namespace kv::hid::windows_backend {

// The library's GUID in the platform's layout.
inline GUID ToWindowsGuid(const Guid& guid) {
  GUID result;
  result.Data1 = guid.data1;
  result.Data2 = guid.data2;
  result.Data3 = guid.data3;
  for (int i = 0; i < 8; ++i) result.Data4[i] = guid.data4[i];
  return result;
}

// GetProcAddress's result as the entry point's own type. Through the generic
// function type, which converts to and from any other without a warning.
template <typename Function>
Function EntryPointAs(FARPROC proc) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace kv::hid::windows_backend
