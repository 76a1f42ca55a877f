// ReadDevCfg: the whole configuration and the firmware version of the current
// sensor, seven request/response exchanges.
#include <array>

#include "exchange.h"
#include "lib_state.h"

namespace kv {

namespace {

// One record read: the command, and how its answer lands in the slot.
// Each answer is decoded into the cache as soon as it arrives, then the
// record it touched is clamped, so even a read that fails part-way never
// leaves an out-of-range value in the cache.
struct RecordRead {
  std::uint8_t command;
  void (*decode)(const wire::Data& answer, DeviceSlot& slot, LibState& state);
};

constexpr std::array<RecordRead, 6> kRecordReads = {{
    {wire::kCmdSonar,
     [](const wire::Data& d, DeviceSlot& slot, LibState&) {
       wire::UnpackSonar(d, &slot.Sonar);
       CheckSonarParms(&slot.Sonar, 1);
     }},
    {wire::kCmdWalkAwayKeys,
     [](const wire::Data& d, DeviceSlot& slot, LibState&) {
       wire::UnpackWalkAwayKeys(d, &slot.WalkAway);
       CheckWalkAwayParms(&slot.WalkAway, 1);
     }},
    {wire::kCmdWalkAwayCodes, [](const wire::Data& d, DeviceSlot& slot,
                                 LibState&) { wire::UnpackWalkAwayCodes(d, &slot.WalkAway); }},
    {wire::kCmdWalkUpKeys,
     [](const wire::Data& d, DeviceSlot& slot, LibState&) {
       wire::UnpackWalkUpKeys(d, &slot.WalkUp);
       CheckWalkUpParms(&slot.WalkUp, 1);
     }},
    {wire::kCmdWalkUpCodes,
     [](const wire::Data& d, DeviceSlot& slot, LibState& state) {
       wire::UnpackWalkUpCodes(d, &slot.WalkUp);
       state.LastReserved2WU = slot.WalkUp.Reserved2WU;  // sent back by every walk-up write
     }},
    {wire::kCmdIdle,
     [](const wire::Data& d, DeviceSlot& slot, LibState& state) {
       wire::UnpackIdle(d, &slot.Idle);
       state.LastReserved1I = slot.Idle.Reserved1I;  // sent back by every idle write
     }},
}};

int Fail(DeviceSlot& slot) {
  slot.DevError |= kGroupRead;
  return 0;
}

}  // namespace

int ReadDevCfg() {
  LibState& state = GetLibState();
  DeviceSlot& slot = CurrentSlot();
  slot.DevError = 0;

  for (const RecordRead& read : kRecordReads) {
    wire::Data answer{};
    if (!ReadExchange(read.command, &answer)) return Fail(slot);
    read.decode(answer, slot, state);
  }
  slot.RecordsValid = 1;
  slot.SonarDirty = 0;
  slot.WalkAwayDirty = 0;
  slot.WalkUpDirty = 0;
  slot.IdleDirty = 0;

  // The records are valid and clean from here on, even if the version fails.
  wire::Data version{};
  if (!ReadExchange(wire::kCmdVersion, &version)) return Fail(slot);
  slot.FwVersion = wire::UnpackVersion(version);
  return 1;
}

}  // namespace kv
