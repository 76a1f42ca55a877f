// Get and Set of the current sensor's cached records. A Set checks the record
// and marks it dirty; nothing reaches the sensor before WriteDevCfg.
#include "lib_state.h"

namespace kv {

namespace {

template <class R>
int GetRecord(R* out, const R RecordSet::*cached) {
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
  *out = slot.Records.*cached;
  slot.DevError = 0;
  return 1;
}

// `check` runs in reject mode on a copy, so a bad record never touches the
// cache; on failure DevError is the Set group ORed with the check's code.
template <class R>
int Store(const R* in, R RecordSet::*cached, std::uint32_t DeviceSlot::*dirty,
          int (*check)(R*, std::uint32_t)) {
  DeviceSlot& slot = CurrentSlot();
  slot.DevError = kGroupSet;
  if (!in) {
    slot.DevError = kErrSetNullPointer;
    return 0;
  }
  R record = *in;
  if (check && !check(&record, 0)) return 0;
  slot.Records.*cached = record;
  slot.*dirty = 1;
  slot.DevError = 0;
  return 1;
}

template <class R>
int SetRecord(RecordKind kind, const R* in, R RecordSet::*cached, std::uint32_t DeviceSlot::*dirty,
              int (*check)(R*, std::uint32_t)) {
  return NoteOutcome(NamesOf(kind).set.data(), Store(in, cached, dirty, check));
}

}  // namespace

int GetSonarParms(tsSonarParms* out) {
  return GetRecord(out, &RecordSet::Sonar);
}

int SetSonarParms(const tsSonarParms* in) {
  return SetRecord(RecordKind::Sonar, in, &RecordSet::Sonar, &DeviceSlot::SonarDirty,
                   &CheckSonarParms);
}

int GetWalkAwayParms(tsWalkAwayParms* out) {
  return GetRecord(out, &RecordSet::WalkAway);
}

int SetWalkAwayParms(const tsWalkAwayParms* in) {
  return SetRecord(RecordKind::WalkAway, in, &RecordSet::WalkAway, &DeviceSlot::WalkAwayDirty,
                   &CheckWalkAwayParms);
}

int GetWalkUpParms(tsWalkUpParms* out) {
  return GetRecord(out, &RecordSet::WalkUp);
}

int SetWalkUpParms(const tsWalkUpParms* in) {
  return SetRecord(RecordKind::WalkUp, in, &RecordSet::WalkUp, &DeviceSlot::WalkUpDirty,
                   &CheckWalkUpParms);
}

int GetIdleParms(tsIdleParms* out) {
  return GetRecord(out, &RecordSet::Idle);
}

int SetIdleParms(const tsIdleParms* in) {
  // The idle record has no limits: any words are accepted.
  return SetRecord<tsIdleParms>(RecordKind::Idle, in, &RecordSet::Idle, &DeviceSlot::IdleDirty,
                                nullptr);
}

}  // namespace kv
