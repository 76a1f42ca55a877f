// Get and Set of the current sensor's cached records. A Set checks the record
// and marks it dirty; nothing reaches the sensor before WriteDevCfg.
#include "lib_state.h"

namespace kv {

namespace {

template <class R>
int GetRecord(R* out, const R DeviceSlot::*cached) {
  DeviceSlot& slot = CurrentSlot();
  slot.DevError = kGroupGet;
  if (!out) {
    slot.DevError = kErrGetNullPointer;
    return 0;
  }
  if (!slot.RecordsValid) {
    slot.DevError = kErrGetNotRead;
    return 0;
  }
  *out = slot.*cached;
  slot.DevError = 0;
  return 1;
}

// `check` runs in reject mode on a copy, so a bad record never touches the
// cache; on failure DevError is the Set group ORed with the check's code.
template <class R>
int SetRecord(const R* in, R DeviceSlot::*cached, std::uint32_t DeviceSlot::*dirty,
              int (*check)(R*, std::uint32_t)) {
  DeviceSlot& slot = CurrentSlot();
  slot.DevError = kGroupSet;
  if (!in) {
    slot.DevError = kErrSetNullPointer;
    return 0;
  }
  R record = *in;
  if (check && !check(&record, 0)) return 0;
  slot.*cached = record;
  slot.*dirty = 1;
  slot.DevError = 0;
  return 1;
}

}  // namespace

int GetSonarParms(tsSonarParms* out) {
  return GetRecord(out, &DeviceSlot::Sonar);
}

int SetSonarParms(const tsSonarParms* in) {
  return SetRecord(in, &DeviceSlot::Sonar, &DeviceSlot::SonarDirty, &CheckSonarParms);
}

int GetWalkAwayParms(tsWalkAwayParms* out) {
  return GetRecord(out, &DeviceSlot::WalkAway);
}

int SetWalkAwayParms(const tsWalkAwayParms* in) {
  return SetRecord(in, &DeviceSlot::WalkAway, &DeviceSlot::WalkAwayDirty, &CheckWalkAwayParms);
}

int GetWalkUpParms(tsWalkUpParms* out) {
  return GetRecord(out, &DeviceSlot::WalkUp);
}

int SetWalkUpParms(const tsWalkUpParms* in) {
  return SetRecord(in, &DeviceSlot::WalkUp, &DeviceSlot::WalkUpDirty, &CheckWalkUpParms);
}

int GetIdleParms(tsIdleParms* out) {
  return GetRecord(out, &DeviceSlot::Idle);
}

int SetIdleParms(const tsIdleParms* in) {
  // The idle record has no limits: any words are accepted.
  return SetRecord<tsIdleParms>(in, &DeviceSlot::Idle, &DeviceSlot::IdleDirty, nullptr);
}

}  // namespace kv
