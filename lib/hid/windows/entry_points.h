// The two platform libraries the library loads at run time by name, and the
// entry points it looks up in each. Tests hand the layers tables of their own.
#pragma once

#include <kv7700/hid.h>

#include "hid/windows/win32.h"

namespace kv::hid::windows_backend {

inline constexpr const char* kHidLibraryName = "HID.DLL";
inline constexpr const char* kSetupLibraryName = "SETUPAPI.DLL";

struct HidEntryPoints {
  BOOLEAN(WINAPI* getAttributes)(HANDLE, PHIDD_ATTRIBUTES) = nullptr;
  BOOLEAN(WINAPI* getFeature)(HANDLE, PVOID, ULONG) = nullptr;
  BOOLEAN(WINAPI* setFeature)(HANDLE, PVOID, ULONG) = nullptr;
  // Required to be present, never called.
  FARPROC getHidGuid = nullptr;
  FARPROC getCaps = nullptr;
};

struct SetupEntryPoints {
  HDEVINFO(WINAPI* getClassDevs)(const GUID*, PCSTR, HWND, DWORD) = nullptr;
  BOOL(WINAPI* enumInterfaces)
  (HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD, PSP_DEVICE_INTERFACE_DATA) = nullptr;
  BOOL(WINAPI* getInterfaceDetail)
  (HDEVINFO, PSP_DEVICE_INTERFACE_DATA, PSP_DEVICE_INTERFACE_DETAIL_DATA_A, DWORD, PDWORD,
   PSP_DEVINFO_DATA) = nullptr;
  BOOL(WINAPI* destroyList)(HDEVINFO) = nullptr;
};

// A loaded library, released when the object goes.
class LoadedModule {
 public:
  LoadedModule() = default;
  explicit LoadedModule(HMODULE module) : module_(module) {}
  ~LoadedModule() { Release(); }
  LoadedModule(LoadedModule&& other) noexcept : module_(other.module_) { other.module_ = nullptr; }
  LoadedModule& operator=(LoadedModule&& other) noexcept;
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  HMODULE Get() const { return module_; }
  void Release();

 private:
  HMODULE module_ = nullptr;
};

// Loads "HID.DLL" and looks up its five entry points. On anything but Ok the
// library is released again and the table is left empty.
LoadResult LoadHidLibrary(LoadedModule* module, HidEntryPoints* entries);
// Loads "SETUPAPI.DLL" and looks up its four entry points, likewise.
LoadResult LoadSetupLibrary(LoadedModule* module, SetupEntryPoints* entries);

}  // namespace kv::hid::windows_backend
