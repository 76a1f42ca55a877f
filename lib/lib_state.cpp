// The process-wide library state, its device table and the small queries.
#include "lib_state.h"

#include <algorithm>

namespace kv {

namespace {

LibState& TheState() {
  static LibState state;
  return state;
}

bool HandleIsOpen(const DeviceSlot& slot) {
  return slot.Handle != hid::kInvalidHandle;
}

// The count is a signed word that callers could have damaged; keep it a valid
// table length before walking the table.
void BoundDeviceCount(LibState& state) {
  state.DeviceCount = std::clamp<std::int16_t>(state.DeviceCount, 0, kMaxDevices);
}

// Moves every open slot below DeviceCount down over the empty ones, keeping
// their order, and shortens the table by the number of empty slots found.
void CloseUpTable(LibState& state) {
  int kept = 0;
  for (int i = 0; i < state.DeviceCount; ++i) {
    if (!HandleIsOpen(state.Slots[i])) continue;
    if (kept != i) state.Slots[kept] = state.Slots[i];
    ++kept;
  }
  for (int i = kept; i < state.DeviceCount; ++i) state.Slots[i] = EmptySlot();
  state.DeviceCount = static_cast<std::int16_t>(kept);
}

int RemoveSlot(LibState& state, hid::Handle handle) {
  if (handle == hid::kInvalidHandle) return 0;
  for (int i = 0; i < state.DeviceCount; ++i) {
    DeviceSlot& slot = state.Slots[i];
    if (slot.Handle != handle) continue;
    if (state.HidLayer) state.HidLayer->Close(slot.Handle);
    slot = EmptySlot();
    return 1;
  }
  return 0;
}

int AddSlot(LibState& state, const DeviceSlot& slot) {
  if (state.DeviceCount >= kMaxDevices) return 0;
  DeviceSlot& target = state.Slots[state.DeviceCount];
  target = slot;
  target.DevicePath.back() = '\0';  // the path is always terminated
  ++state.DeviceCount;
  return 1;
}

}  // namespace

LibState& GetLibState() {
  return TheState();
}

DeviceSlot& CurrentSlot() {
  LibState& state = TheState();
  const int index = state.CurrentIndex;
  return state.Slots[(index >= 0 && index < kMaxDevices) ? index : 0];
}

DeviceSlot EmptySlot() {
  return DeviceSlot{};
}

void ResetLibState() {
  LibState& state = TheState();
  state.InterfaceGuid = Guid{};
  state.ReportLength = hid::kReportLength;
  state.HidLayer.reset();
  state.LibError = 0;
  state.CurrentIndex = 0;
  state.DeviceCount = 0;
  state.Slots.fill(EmptySlot());
  // LastReserved2WU and LastReserved1I survive: the next write sends them.
}

int UpdateSlotTable(const DeviceSlot* slot, std::uint32_t remove) {
  LibState& state = TheState();
  BoundDeviceCount(state);
  int result = 0;
  if (slot) result = remove ? RemoveSlot(state, slot->Handle) : AddSlot(state, *slot);
  CloseUpTable(state);
  state.CurrentIndex = 0;
  return result;
}

int CloseAllDevices() {
  LibState& state = TheState();
  BoundDeviceCount(state);
  for (int i = 0; i < state.DeviceCount; ++i) {
    DeviceSlot& slot = state.Slots[i];
    if (HandleIsOpen(slot) && state.HidLayer) state.HidLayer->Close(slot.Handle);
  }
  state.DeviceCount = 0;
  state.HidLayer.reset();
  ResetLibState();
  return 1;
}

int SelectDevice(SensorIndex index) {
  LibState& state = TheState();
  if (index < 0 || index >= kMaxDevices || index >= state.DeviceCount) return 0;
  state.CurrentIndex = index;
  return 1;
}

SensorIndex GetDeviceCount() {
  return TheState().DeviceCount;
}

std::uint16_t GetFirmwareVersion() {
  return CurrentSlot().FwVersion;
}

int GetHidGuid(Guid* guid) {
  if (guid) *guid = kKeyboardInterfaceClass;
  return 1;
}

std::uint32_t GetDevError() {
  return CurrentSlot().DevError;
}

std::uint32_t GetLibError() {
  return TheState().LibError;
}

int ApiAvailable() {
  return 1;
}

int GetLibVersion(std::uint16_t* major, std::uint16_t* minor, std::uint16_t* build) {
  if (major) *major = kLibVersionMajor;
  if (minor) *minor = kLibVersionMinor;
  if (build) *build = kLibVersionBuild;
  return 1;
}

}  // namespace kv
