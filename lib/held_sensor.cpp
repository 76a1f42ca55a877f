// A hold of the current sensor across operations, and the read of chosen
// records that a compare before a write needs.
#include <kv7700/held_sensor.h>

#include "config_read.h"
#include "exchange.h"
#include "lib_state.h"
#include "sensor_hold.h"

namespace kv {

HeldSensors::HeldSensors()
    : hold_(std::make_unique<SensorHold>(GetLibState().CurrentIndex)),
      current_(GetLibState().CurrentIndex) {
  if (!Held()) CurrentSlot().DevError = kErrSensorInUse;
}

HeldSensors::HeldSensors(const SensorIndex* indices, SensorIndex count)
    : hold_(std::make_unique<SensorHold>(indices, count)) {}

HeldSensors::~HeldSensors() = default;

bool HeldSensors::Holds(SensorIndex index) const {
  return hold_->Holds(index);
}

int ReadRecordsNow(const DirtyRecords& which, RecordSet* records) {
  LibState& state = GetLibState();
  DeviceSlot& slot = CurrentSlot();
  if (!records || state.DeviceCount == 0) return 0;
  slot.DevError = 0;
  const SensorHold hold(state.CurrentIndex);
  if (!hold.Holds(state.CurrentIndex)) {
    slot.DevError = kGroupRead | kErrSensorInUse;
    return 0;
  }
  // Decoded into a copy of the slot, so the cache stays as it was.
  DeviceSlot copy = slot;
  copy.Sonar = records->Sonar;
  copy.WalkAway = records->WalkAway;
  copy.WalkUp = records->WalkUp;
  copy.Idle = records->Idle;
  const bool chosen[] = {which.sonar,  which.walkAway, which.walkAway,
                         which.walkUp, which.walkUp,   which.idle};
  for (std::size_t step = 0; step < std::size(chosen); ++step) {
    if (!chosen[step]) continue;
    wire::Data answer{};
    if (!ReadExchange(ReadStepCommand(step), &answer)) {
      slot.DevError |= kGroupRead;
      return 0;
    }
    DecodeReadStep(step, answer, copy);
  }
  *records = {copy.Sonar, copy.WalkAway, copy.WalkUp, copy.Idle};
  return 1;
}

}  // namespace kv
