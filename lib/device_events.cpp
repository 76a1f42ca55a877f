// Sensors plugged in or pulled out while the library runs, followed by the
// interface path that the platform's notification carries.
#include <cstring>
#include <string>

#include "access_denied_paths.h"
#include "lib_state.h"

namespace kv {

namespace {

// Null, or longer than a slot can hold: no sensor's path.
bool PathTooLongOrNull(const char* path) {
  return !path || ::strnlen(path, kMaxPathLength + 1) > kMaxPathLength;
}

// Paths are compared as the platform names them: exactly on Linux, without
// regard to case on Windows.
bool SamePath(const DeviceSlot& slot, const char* path) {
  return hid::GetPlatform().PathsEqual(slot.DevicePath.data(), path);
}

int FindOpenSlot(const char* path) {
  const LibState& state = GetLibState();
  for (int index = 0; index < state.DeviceCount && index < kMaxDevices; ++index) {
    if (SamePath(state.Slots[index], path)) return index;
  }
  return -1;
}

}  // namespace

int DeviceArrived(const char* path) {
  if (PathTooLongOrNull(path)) return 0;
  // Decided from the device's identity without opening it, so a foreign
  // device is never touched.
  if (!hid::GetPlatform().PathNamesSensor(path)) return 0;
  // A notification for a sensor already in the table (it was enumerated
  // while its notification was on its way) must not enter it twice.
  if (FindOpenSlot(path) >= 0) return 0;

  DeviceSlot slot = EmptySlot();
  if (OpenDevicePath(path, &slot) == hid::kInvalidHandle) return 0;
  if (UpdateSlotTable(&slot, 0)) return 1;
  // A full table refuses the sensor; its handle must not stay open behind it.
  GetLibState().HidLayer->Close(slot.Handle);
  return 0;
}

int DeviceRemoved(const char* path) {
  if (PathTooLongOrNull(path)) return 0;
  ForgetAccessDenied(path);  // gone, whether or not it was ever opened
  const int index = FindOpenSlot(path);
  if (index < 0) return 0;
  const DeviceSlot slot = GetLibState().Slots[index];
  return UpdateSlotTable(&slot, 1);
}

}  // namespace kv
