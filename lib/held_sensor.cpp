// A hold of the current sensor across operations, and the read of chosen
// records that a compare before a write needs.
#include <kv7700/held_sensor.h>

#include "config_read.h"
#include "exchange.h"
#include "lib_state.h"
#include "operation_progress.h"
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

int ReadRecordsNow(const RecordFlags& which, RecordSet* records) {
  LibState& state = GetLibState();
  DeviceSlot& slot = CurrentSlot();
  if (!records || state.DeviceCount == 0) return 0;
  const OperationScope scope("ReadRecordsNow", ReadRecordsCost(which));
  slot.DevError = 0;
  const SensorHold hold(state.CurrentIndex);
  if (!hold.Holds(state.CurrentIndex)) {
    slot.DevError = kGroupRead | kErrSensorInUse;
    return NoteOutcome("ReadRecordsNow", 0);
  }
  // Decoded into a copy of the slot, so the cache stays as it was.
  DeviceSlot copy = slot;
  copy.Records = *records;
  const bool chosen[] = {which.sonar,  which.walkAway, which.walkAway,
                         which.walkUp, which.walkUp,   which.idle};
  for (std::size_t step = 0; step < std::size(chosen); ++step) {
    if (!chosen[step]) continue;
    wire::Data answer{};
    if (!ReadExchange(ReadStepCommand(step), &answer)) {
      slot.DevError |= kGroupRead;
      return NoteOutcome("ReadRecordsNow", 0);
    }
    DecodeReadStep(step, answer, copy);
  }
  *records = copy.Records;
  return NoteOutcome("ReadRecordsNow", 1);
}

}  // namespace kv
