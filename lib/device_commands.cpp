// One-shot commands to the current sensor: the three memory commands, the
// live range query and the key-send control.
#include <kv7700/clock.h>

#include "exchange.h"
#include "lib_state.h"
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

int FactoryResetDev() {
  // The repair below writes and reads again within the same hold.
  const SensorHold hold(GetLibState().CurrentIndex);
  if (!RunMemoryCommand(wire::kCmdFactory)) return 0;
  DeviceSlot& slot = CurrentSlot();
  if ((slot.FwVersion & kIdleRepairFirmwareMask) != kIdleRepairFirmware) return 1;
  slot.Idle.FlagsI = 0;
  slot.IdleDirty = 1;
  if (!WriteDevCfg()) return 0;
  return ReadDevCfg();
}

int RestoreUserDefaultsDev() {
  return RunMemoryCommand(wire::kCmdRestoreUser);
}

int SaveUserDefaultsDev() {
  return RunMemoryCommand(wire::kCmdSaveUser);
}

int GetRangeInfo(RangeInfo* out) {
  const SensorHold hold(GetLibState().CurrentIndex);
  DeviceSlot& slot = CurrentSlot();
  slot.DevError = 0;
  if (out && !hold.Holds(GetLibState().CurrentIndex)) slot.DevError = kErrSensorInUse;
  wire::Data answer{};
  // Without a record to fill there is nothing to ask the sensor.
  if (!out || slot.DevError != 0 || !ReadExchange(wire::kCmdRange, &answer)) {
    slot.DevError |= kGroupRange;
    return 0;
  }
  *out = wire::UnpackRange(answer);
  return 1;
}

int SendControl(std::uint32_t halt) {
  LibState& state = GetLibState();
  state.LibError = 0;
  const SensorHold hold(state.CurrentIndex);
  if (!hold.Holds(state.CurrentIndex)) {
    CurrentSlot().DevError = kErrSensorInUse;
    state.LibError = kLibErrSendControl;
    return 0;
  }
  // DevError keeps the exchange's own code; LibError names the operation.
  if (!SendRequest(halt ? wire::kCmdHalt : wire::kCmdResume)) {
    state.LibError = kLibErrSendControl;
    return 0;
  }
  return 1;
}

}  // namespace kv
