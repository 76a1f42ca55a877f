// The library's one process-wide state and its internal operations. Not part
// of the public interface: the library's own sources and its tests use it.
#pragma once

#include <kv7700/hid.h>
#include <kv7700/kv7700.h>
#include <kv7700/last_failure.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace kv {

inline constexpr int kMaxDevices = 16;
inline constexpr std::size_t kMaxPathLength = 127;

struct DeviceSlot {
  std::uint16_t FwVersion = 0;
  hid::Handle Handle = hid::kInvalidHandle;
  std::uint32_t DevError = 0;
  std::uint32_t RecordsValid = 0;
  std::uint32_t SonarDirty = 0;
  std::uint32_t WalkAwayDirty = 0;
  std::uint32_t WalkUpDirty = 0;
  std::uint32_t IdleDirty = 0;
  // The cached records, one after the other: Sonar, WalkAway, WalkUp, Idle.
  RecordSet Records;
  // The reserved words as this sensor's own last read gave them (a Set
  // operation may overwrite the records' copies); meaningful once
  // RecordsValid is set. Writes to several sensors at once send each one
  // its own.
  std::uint16_t ReadReserved2WU = 0;
  std::uint16_t ReadReserved1I = 0;
  std::array<char, kMaxPathLength + 1> DevicePath = {};  // always terminated
  // How many operations of this process hold the sensor right now (one
  // operation runs others, such as a reset its read-back).
  std::uint32_t HoldDepth = 0;
  // Who kept the sensor when the last wait for it gave up; "" when unknown.
  std::array<char, 128> Holder = {};  // always terminated
  // How its last operation that talks to it or changes its cache failed;
  // empty after one succeeded.
  LastFailure Failure;
};

// A slot cleared to zero with the invalid handle: an empty slot.
DeviceSlot EmptySlot();

struct LibState {
  std::array<DeviceSlot, kMaxDevices> Slots;
  std::int16_t DeviceCount = 0;
  std::int16_t CurrentIndex = 0;
  std::uint16_t ReportLength = hid::kReportLength;
  Guid InterfaceGuid;
  std::unique_ptr<hid::HidLayer> HidLayer;      // loaded HID layer, or empty
  std::unique_ptr<hid::DeviceList> SetupLayer;  // only during one enumeration
  std::uint32_t LibError = 0;
  std::uint16_t LastReserved2WU = 0;  // survives resets
  std::uint16_t LastReserved1I = 0;   // survives resets
};

// The one state of this process.
LibState& GetLibState();
// The current slot (slot 0 when none is open).
DeviceSlot& CurrentSlot();

void ResetLibState();
int UpdateSlotTable(const DeviceSlot* slot, std::uint32_t remove);

// Record checks: 1 when acceptable or clamped; 0 (code ORed into DevError)
// when a field is out of range and `clamp` is 0.
int CheckSonarParms(tsSonarParms* record, std::uint32_t clamp);
int CheckWalkAwayParms(tsWalkAwayParms* record, std::uint32_t clamp);
int CheckWalkUpParms(tsWalkUpParms* record, std::uint32_t clamp);

// Feature exchanges on the current slot.
int GetFeature(hid::Report* report);
int SetFeature(const hid::Report& report);

// Discovery internals.
int LoadHidEntryPoints();
int LoadSetupEntryPoints();
// The open's security descriptor is the HID layer's business (the Windows
// layer makes one per open; hidraw nodes carry their own permissions); kept
// so the open path reads as on every platform. Fills nothing and returns 1.
struct SecurityAttributes {
  std::uint32_t length = 0;
};
int MakeOpenSecurity(SecurityAttributes* attributes);
hid::Handle OpenDevicePath(const char* path, DeviceSlot* slot);
void EnumerateDevices();

// The last failure of a sensor: `result` 1 clears it, 0 notes `operation`
// failing with the slot's DevError (explained in words); `result` is
// returned. The second form notes it for the current slot.
int NoteOutcome(DeviceSlot& slot, const char* operation, int result);
int NoteOutcome(const char* operation, int result);
// Notes a failure the status word does not explain (a file operation).
void NoteFailure(DeviceSlot& slot, const char* operation, std::string reason, std::string advice,
                 std::uint32_t status = 0);

// Template file internals: stores a field of the working set by its name.
int SetFieldByName(const char* name, std::uint16_t value, RecordSet* records);

}  // namespace kv
