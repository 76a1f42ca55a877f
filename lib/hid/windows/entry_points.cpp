#include "hid/windows/entry_points.h"

#include <kv7700/system_dlls.h>

namespace kv::hid::windows_backend {

LoadedModule& LoadedModule::operator=(LoadedModule&& other) noexcept {
  if (this != &other) {
    Release();
    module_ = other.module_;
    other.module_ = nullptr;
  }
  return *this;
}

void LoadedModule::Release() {
  if (module_) ::FreeLibrary(module_);
  module_ = nullptr;
}

namespace {

template <typename Function>
bool Look(HMODULE module, const char* name, Function* out) {
  *out = EntryPointAs<Function>(::GetProcAddress(module, name));
  return *out != nullptr;
}

bool LookRaw(HMODULE module, const char* name, FARPROC* out) {
  *out = ::GetProcAddress(module, name);
  return *out != nullptr;
}

// From the system folder only: a hid.dll beside the program is never run.
HMODULE LoadSystemLibrary(const char* name) {
  return static_cast<HMODULE>(LoadSystemDll(name));
}

}  // namespace

LoadResult LoadHidLibrary(LoadedModule* module, HidEntryPoints* entries) {
  *entries = {};
  LoadedModule loaded(LoadSystemLibrary(kHidLibraryName));
  if (!loaded.Get()) return LoadResult::LibraryMissing;
  HidEntryPoints found;
  const HMODULE m = loaded.Get();
  // Every one is looked up, as each is required.
  const int missing = !Look(m, "HidD_GetAttributes", &found.getAttributes) +
                      !Look(m, "HidD_GetFeature", &found.getFeature) +
                      !Look(m, "HidD_SetFeature", &found.setFeature) +
                      !LookRaw(m, "HidD_GetHidGuid", &found.getHidGuid) +
                      !LookRaw(m, "HidP_GetCaps", &found.getCaps);
  if (missing > 0) return LoadResult::EntryPointMissing;  // `loaded` releases the library
  *module = std::move(loaded);
  *entries = found;
  return LoadResult::Ok;
}

LoadResult LoadSetupLibrary(LoadedModule* module, SetupEntryPoints* entries) {
  *entries = {};
  LoadedModule loaded(LoadSystemLibrary(kSetupLibraryName));
  if (!loaded.Get()) return LoadResult::LibraryMissing;
  SetupEntryPoints found;
  const HMODULE m = loaded.Get();
  const int missing = !Look(m, "SetupDiGetClassDevsA", &found.getClassDevs) +
                      !Look(m, "SetupDiEnumDeviceInterfaces", &found.enumInterfaces) +
                      !Look(m, "SetupDiGetDeviceInterfaceDetailA", &found.getInterfaceDetail) +
                      !Look(m, "SetupDiDestroyDeviceInfoList", &found.destroyList);
  if (missing > 0) return LoadResult::EntryPointMissing;
  *module = std::move(loaded);
  *entries = found;
  return LoadResult::Ok;
}

}  // namespace kv::hid::windows_backend
