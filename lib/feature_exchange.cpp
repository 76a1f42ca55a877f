// The two primitive exchanges with the current sensor. Their codes replace
// DevError; with no HID layer loaded they fail and leave DevError alone.
#include "lib_state.h"
#include "operation_progress.h"

namespace kv {

int GetFeature(hid::Report* report) {
  LibState& state = GetLibState();
  if (!state.HidLayer || !report) return 0;
  DeviceSlot& slot = CurrentSlot();
  if (slot.Handle == hid::kInvalidHandle) {
    slot.DevError = kErrGetNoHandle;
    return 0;
  }
  if (!state.HidLayer->HasGetFeature()) {
    slot.DevError = kErrGetNoEntry;
    return 0;
  }
  (*report)[0] = 0;  // report id
  const bool answered = state.HidLayer->GetFeature(slot.Handle, report);
  CountReport();
  if (!answered) {
    slot.DevError = kErrGetFailed;
    return 0;
  }
  return 1;
}

int SetFeature(const hid::Report& report) {
  LibState& state = GetLibState();
  if (!state.HidLayer) return 0;
  DeviceSlot& slot = CurrentSlot();
  if (slot.Handle == hid::kInvalidHandle) {
    slot.DevError = kErrSetNoHandle;
    return 0;
  }
  if (!state.HidLayer->HasSetFeature()) {
    slot.DevError = kErrSetNoEntry;
    return 0;
  }
  const bool sent = state.HidLayer->SetFeature(slot.Handle, report);
  CountReport();
  if (!sent) {
    slot.DevError = kErrSetFailed;
    return 0;
  }
  return 1;
}

}  // namespace kv
