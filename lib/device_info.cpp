// Read-only views of the device table for the tools above the library.
#include <kv7700/device_info.h>

#include <utility>

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

namespace {

RecordFlags DirtyOf(const DeviceSlot& slot) {
  return {slot.SonarDirty != 0, slot.WalkAwayDirty != 0, slot.WalkUpDirty != 0,
          slot.IdleDirty != 0};
}

}  // namespace

RecordFlags GetDirtyRecords() {
  return DirtyOf(CurrentSlot());
}

int GetSensorInfo(SensorIndex index, SensorInfo* info) {
  const DeviceSlot* slot = OpenSlot(index);
  if (!slot || !info) return 0;
  SensorInfo filled;
  filled.index = index;
  filled.path = slot->DevicePath.data();
  GetDeviceIdentity(index, &filled.vendorId, &filled.productId);
  filled.firmware = slot->FwVersion;
  filled.recordsRead = slot->RecordsValid != 0;
  filled.dirty = DirtyOf(*slot);
  filled.holder = slot->Holder.data();
  *info = std::move(filled);
  return 1;
}

}  // namespace kv
