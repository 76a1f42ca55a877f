#include "device_info.h"

#include "lib_state.h"

namespace kv::cli {

// The library keeps each sensor's path and handle in its device table; the
// tool only reads them.
std::string DevicePathOf(int index) {
  const LibState& state = GetLibState();
  if (index < 0 || index >= state.DeviceCount) return {};
  return state.Slots[index].DevicePath.data();
}

bool UsbIdentityOf(int index, std::uint16_t* vendorId, std::uint16_t* productId) {
  LibState& state = GetLibState();
  if (index < 0 || index >= state.DeviceCount || !state.HidLayer) return false;
  hid::Attributes attributes;
  if (!state.HidLayer->GetAttributes(state.Slots[index].Handle, &attributes)) return false;
  *vendorId = attributes.vendorId;
  *productId = attributes.productId;
  return true;
}

DirtyRecords DirtyRecordsOfCurrent() {
  const DeviceSlot& slot = CurrentSlot();
  return {slot.SonarDirty != 0, slot.WalkAwayDirty != 0, slot.WalkUpDirty != 0,
          slot.IdleDirty != 0};
}

}  // namespace kv::cli
