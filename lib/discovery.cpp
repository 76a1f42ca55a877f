// Finding and opening sensors: one enumeration of the present interfaces at
// start-up, and the opening of one path with its identity check.
#include <kv7700/sensor_identity.h>
#include <kv7700/status_codes.h>

#include <array>
#include <cstring>

#include "access_denied_paths.h"
#include "config_read.h"
#include "lib_state.h"
#include "operation_progress.h"

namespace kv {

namespace {

// The enumeration facility lists at most this many interfaces per run.
constexpr std::size_t kMaxInterfaceIndices = 256;

void NoteIfSensorDenied(const char* path, hid::OpenFailure why) {
  // Only sensors matter to the user; other HID devices the user may not
  // open (keyboards, mice owned by root) are none of our business.
  if (why == hid::OpenFailure::AccessDenied && hid::GetPlatform().PathNamesSensor(path)) {
    NoteAccessDenied(path);
  }
}

}  // namespace

hid::Handle OpenDevicePath(const char* path, DeviceSlot* slot) {
  if (!path || !slot) return hid::kInvalidHandle;
  if (!LoadHidEntryPoints()) return hid::kInvalidHandle;
  SecurityAttributes security;
  if (!MakeOpenSecurity(&security)) return hid::kInvalidHandle;

  LibState& state = GetLibState();
  hid::OpenFailure why = hid::OpenFailure::None;
  const hid::Handle handle = state.HidLayer->Open(path, &why);
  if (handle == hid::kInvalidHandle) {
    // Without its security descriptor the open was never tried.
    if (why == hid::OpenFailure::NoSecurity) return hid::kInvalidHandle;
    state.LibError = kLibErrOpenFailed;
    NoteIfSensorDenied(path, why);
    return hid::kInvalidHandle;
  }
  ForgetAccessDenied(path);

  // A failed attribute read leaves zeros, which match no sensor.
  hid::Attributes attributes;
  if (!state.HidLayer->GetAttributes(handle, &attributes)) attributes = hid::Attributes{};
  if (!hid::IsSensorIdentity(attributes.vendorId, attributes.productId)) {
    state.HidLayer->Close(handle);
    state.LibError = kLibErrNotSensor;
    return hid::kInvalidHandle;
  }

  *slot = EmptySlot();
  slot->FwVersion = attributes.versionNumber;  // until the first configuration read
  slot->Handle = handle;
  std::strncpy(slot->DevicePath.data(), path, kMaxPathLength);
  slot->DevicePath[kMaxPathLength] = '\0';
  return handle;
}

void EnumerateDevices() {
  ClearAccessDenied();  // what a failed enumeration knew is stale as well
  if (!LoadHidEntryPoints()) return;
  if (!LoadSetupEntryPoints()) return;

  LibState& state = GetLibState();
  std::vector<hid::InterfaceEntry> entries;
  if (!state.SetupLayer->List(&entries)) {
    state.SetupLayer.reset();
    state.HidLayer.reset();
    state.LibError = kLibErrListFailed;
    return;
  }

  for (std::size_t index = 0; index < kMaxInterfaceIndices; ++index) {
    if (index >= entries.size()) {
      state.LibError = kLibErrEndOfList;
      break;
    }
    const hid::InterfaceEntry& entry = entries[index];
    if (entry.detail == hid::InterfaceEntry::Detail::SizeQueryFailed) {
      state.LibError = kLibErrDetailSize;
      break;
    }
    if (entry.detail == hid::InterfaceEntry::Detail::AllocFailed) {
      state.LibError = kLibErrDetailAlloc;
      break;
    }
    if (entry.detail == hid::InterfaceEntry::Detail::ReadFailed) {
      state.LibError = kLibErrDetailRead;
      continue;
    }
    // A foreign device (a security key, a keyboard) is none of ours to open.
    if (entry.identityListed && !hid::IsSensorIdentity(entry.vendorId, entry.productId)) {
      state.LibError = kLibErrNotSensor;
      continue;
    }
    if (state.DeviceCount >= kMaxDevices) continue;  // a full table opens nothing more
    DeviceSlot& slot = state.Slots[state.DeviceCount];
    if (OpenDevicePath(entry.path.c_str(), &slot) != hid::kInvalidHandle) ++state.DeviceCount;
  }

  state.SetupLayer.reset();
}

int OpenAllDevices(std::uint32_t* firmware) {
  LibState& state = GetLibState();
  state.LibError = 0;
  if (state.DeviceCount != 0) {
    state.LibError = kGroupOpenAll;
    return 0;
  }

  const OperationScope scope("OpenAllDevices", {});
  EnumerateDevices();
  if (state.DeviceCount == 0) {
    state.LibError |= kGroupOpenAll;
    return 0;
  }

  // Every sensor's configuration is read, all of them in step. One failure
  // fails the whole start although every sensor stays open and counted; the
  // sensors after the first failing one are left as if never read, as a
  // read of one sensor after another would have stopped there.
  const std::array<DeviceSlot, kMaxDevices> unread = state.Slots;
  ExpectMoreReports(ReadCost(state.DeviceCount).reports);
  const ReadOutcome outcome = ReadInStep(0, state.DeviceCount);
  for (std::int16_t index = 0; index < state.DeviceCount; ++index) {
    const int read = outcome.failedStep[index] == kConfigReadExchanges ? 1 : 0;
    NoteOutcome(state.Slots[index], "OpenAllDevices", read);
    if (read) continue;
    for (int later = index + 1; later < state.DeviceCount; ++later) {
      state.Slots[later] = unread[later];
    }
    KeepReservedWordsOf(0, index, outcome);
    state.LibError |= kGroupOpenAll;
    SelectDevice(0);
    return 0;
  }
  KeepReservedWordsOf(0, static_cast<std::int16_t>(state.DeviceCount - 1), outcome);
  SelectDevice(0);
  if (firmware) *firmware = CurrentSlot().FwVersion;
  return 1;
}

}  // namespace kv
