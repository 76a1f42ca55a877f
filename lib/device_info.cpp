// Read-only views of the device table for the tools above the library.
#include <kv7700/device_info.h>

#include "access_denied_paths.h"
#include "lib_state.h"

namespace kv {

namespace {

const DeviceSlot* OpenSlot(SensorIndex index) {
  const LibState& state = GetLibState();
  if (index < 0 || index >= state.DeviceCount) return nullptr;
  return &state.Slots[index];
}

}  // namespace

std::string GetDevicePath(SensorIndex index) {
  const DeviceSlot* slot = OpenSlot(index);
  return slot ? std::string(slot->DevicePath.data()) : std::string();
}

int GetDeviceIdentity(SensorIndex index, std::uint16_t* vendorId, std::uint16_t* productId) {
  const DeviceSlot* slot = OpenSlot(index);
  LibState& state = GetLibState();
  if (!slot || !state.HidLayer || !vendorId || !productId) return 0;
  hid::Attributes attributes;
  if (!state.HidLayer->GetAttributes(slot->Handle, &attributes)) return 0;
  *vendorId = attributes.vendorId;
  *productId = attributes.productId;
  return 1;
}

std::string GetSensorHolder(SensorIndex index) {
  const DeviceSlot* slot = OpenSlot(index);
  return slot ? std::string(slot->Holder.data()) : std::string();
}

std::string GetSensorHolder() {
  return GetSensorHolder(GetLibState().CurrentIndex);
}

std::vector<std::string> GetAccessDeniedPaths() {
  return AccessDeniedPaths();
}

DirtyRecords GetDirtyRecords() {
  const DeviceSlot& slot = CurrentSlot();
  return {slot.SonarDirty != 0, slot.WalkAwayDirty != 0, slot.WalkUpDirty != 0,
          slot.IdleDirty != 0};
}

}  // namespace kv
