// One-shot commands to the current sensor: the three memory commands, the
// live range query and the key-send control.
#include <kv7700/clock.h>

#include "exchange.h"
#include "lib_state.h"
#include "operation_progress.h"
#include "sensor_hold.h"

namespace kv {

namespace {

// Firmware 0x0400 to 0x040F comes out of a factory reset with idle flags the
// sensor must not keep; they are cleared and written back at once.
constexpr std::uint16_t kIdleRepairFirmwareMask = 0xFFF0;
constexpr std::uint16_t kIdleRepairFirmware = 0x0400;

// Sends a memory command, gives the sensor time to rewrite its memory, and
// reads the resulting configuration back.
int RunMemoryCommand(std::uint8_t command) {
  const SensorHold hold(GetLibState().CurrentIndex);
  DeviceSlot& slot = CurrentSlot();
  slot.DevError = 0;
  if (!hold.Holds(GetLibState().CurrentIndex)) {
    slot.DevError = kErrSensorInUse | kGroupMemoryCommand;
    return 0;
  }
  if (!SendRequest(command)) {
    slot.DevError |= kGroupMemoryCommand;
    return 0;
  }
  GetClock().SleepMs(kMemoryCommandWaitMs);
  return ReadDevCfg();
}

}  // namespace

namespace {

int FactoryReset() {
  // The repair below writes and reads again within the same hold.
  const SensorHold hold(GetLibState().CurrentIndex);
  if (!RunMemoryCommand(wire::kCmdFactory)) return 0;
  DeviceSlot& slot = CurrentSlot();
  if ((slot.FwVersion & kIdleRepairFirmwareMask) != kIdleRepairFirmware) return 1;
  slot.Records.Idle.FlagsI = 0;
  slot.IdleDirty = 1;
  constexpr RecordFlags kIdleOnly = RecordFlags::Only(RecordKind::Idle);
  ExpectMoreReports(WriteCost(kIdleOnly).reports + ReadCost().reports);
  if (!WriteDevCfg()) return 0;
  return ReadDevCfg();
}

}  // namespace

int FactoryResetDev() {
  const OperationScope scope("FactoryResetDev", MemoryCommandCost());
  return NoteOutcome("FactoryResetDev", FactoryReset());
}

int RestoreUserDefaultsDev() {
  const OperationScope scope("RestoreUserDefaultsDev", MemoryCommandCost());
  return NoteOutcome("RestoreUserDefaultsDev", RunMemoryCommand(wire::kCmdRestoreUser));
}

int SaveUserDefaultsDev() {
  const OperationScope scope("SaveUserDefaultsDev", MemoryCommandCost());
  return NoteOutcome("SaveUserDefaultsDev", RunMemoryCommand(wire::kCmdSaveUser));
}

int GetRangeInfo(RangeInfo* out) {
  const OperationScope scope("GetRangeInfo", RangeCost());
  const SensorHold hold(GetLibState().CurrentIndex);
  DeviceSlot& slot = CurrentSlot();
  slot.DevError = 0;
  if (out && !hold.Holds(GetLibState().CurrentIndex)) slot.DevError = kErrSensorInUse;
  wire::Data answer{};
  // Without a record to fill there is nothing to ask the sensor.
  if (!out || slot.DevError != 0 || !ReadExchange(wire::kCmdRange, &answer)) {
    slot.DevError |= kGroupRange;
    return NoteOutcome("GetRangeInfo", 0);
  }
  *out = wire::UnpackRange(answer);
  return NoteOutcome("GetRangeInfo", 1);
}

int SendControl(std::uint32_t halt) {
  const OperationScope scope("SendControl", ControlCost());
  LibState& state = GetLibState();
  state.LibError = 0;
  const SensorHold hold(state.CurrentIndex);
  if (!hold.Holds(state.CurrentIndex)) {
    CurrentSlot().DevError = kErrSensorInUse;
    state.LibError = kLibErrSendControl;
    return NoteOutcome("SendControl", 0);
  }
  // DevError keeps the exchange's own code; LibError names the operation.
  if (!SendRequest(halt ? wire::kCmdHalt : wire::kCmdResume)) {
    state.LibError = kLibErrSendControl;
    return NoteOutcome("SendControl", 0);
  }
  return NoteOutcome("SendControl", 1);
}

}  // namespace kv
