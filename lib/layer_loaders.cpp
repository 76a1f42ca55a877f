// Loading the two platform layers discovery needs: the HID layer, kept until
// CloseAllDevices, and the enumeration facility, kept for one enumeration.
#include <kv7700/status_codes.h>

#include "lib_state.h"

namespace kv {

int LoadHidEntryPoints() {
  LibState& state = GetLibState();
  if (state.HidLayer) return 1;

  ResetLibState();
  std::unique_ptr<hid::HidLayer> layer;
  switch (hid::GetPlatform().LoadHid(&layer)) {
    case hid::LoadResult::Ok:
      break;
    case hid::LoadResult::LibraryMissing:
      state.LibError = kLibErrHidLoad;
      return 0;
    case hid::LoadResult::EntryPointMissing:
      layer.reset();
      ResetLibState();
      state.LibError = kLibErrHidEntry;
      return 0;
  }
  if (!layer) {  // a platform that reports success must hand over a layer
    state.LibError = kLibErrHidLoad;
    return 0;
  }
  state.HidLayer = std::move(layer);
  state.InterfaceGuid = kKeyboardInterfaceClass;
  return 1;
}

int LoadSetupEntryPoints() {
  LibState& state = GetLibState();
  if (state.SetupLayer) return 1;

  std::unique_ptr<hid::DeviceList> list;
  switch (hid::GetPlatform().LoadDeviceList(&list)) {
    case hid::LoadResult::Ok:
      break;
    case hid::LoadResult::LibraryMissing:
      state.LibError = kLibErrSetupLoad;
      return 0;
    case hid::LoadResult::EntryPointMissing:
      state.LibError = kLibErrSetupEntry;
      return 0;
  }
  if (!list) {
    state.LibError = kLibErrSetupLoad;
    return 0;
  }
  state.SetupLayer = std::move(list);
  return 1;
}

// The HID layer makes any descriptor its platform's open needs.
int MakeOpenSecurity([[maybe_unused]] SecurityAttributes* attributes) {
  return 1;
}

}  // namespace kv
