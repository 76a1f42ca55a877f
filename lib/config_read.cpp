// ReadDevCfg: the whole configuration and the firmware version of a sensor,
// seven request/response exchanges. Several sensors are read in step: each
// one's request goes out, the 250 ms are waited once for all of them, then
// every answer is fetched, so n sensors take the time of one.
#include "config_read.h"

#include <array>

#include "exchange.h"
#include "lib_state.h"
#include "sensor_hold.h"

namespace kv {

namespace {

// One exchange of the read: the command, and how its answer lands in the
// slot. Each answer is decoded into the cache as soon as it arrives, then the
// record it touched is clamped, so even a read that fails part-way never
// leaves an out-of-range value in the cache.
struct ReadStep {
  std::uint8_t command;
  void (*decode)(const wire::Data& answer, DeviceSlot& slot);
};

constexpr std::size_t kWalkUpCodesStep = 4;  // carries Reserved2WU
constexpr std::size_t kIdleStep = 5;         // carries Reserved1I; the last record
constexpr std::size_t kStepCount = 7;

constexpr std::array<ReadStep, kStepCount> kReadSteps = {{
    {wire::kCmdSonar,
     [](const wire::Data& d, DeviceSlot& slot) {
       wire::UnpackSonar(d, &slot.Sonar);
       CheckSonarParms(&slot.Sonar, 1);
     }},
    {wire::kCmdWalkAwayKeys,
     [](const wire::Data& d, DeviceSlot& slot) {
       wire::UnpackWalkAwayKeys(d, &slot.WalkAway);
       CheckWalkAwayParms(&slot.WalkAway, 1);
     }},
    {wire::kCmdWalkAwayCodes,
     [](const wire::Data& d, DeviceSlot& slot) { wire::UnpackWalkAwayCodes(d, &slot.WalkAway); }},
    {wire::kCmdWalkUpKeys,
     [](const wire::Data& d, DeviceSlot& slot) {
       wire::UnpackWalkUpKeys(d, &slot.WalkUp);
       CheckWalkUpParms(&slot.WalkUp, 1);
     }},
    {wire::kCmdWalkUpCodes,
     [](const wire::Data& d, DeviceSlot& slot) {
       wire::UnpackWalkUpCodes(d, &slot.WalkUp);
       slot.ReadReserved2WU = slot.WalkUp.Reserved2WU;
     }},
    {wire::kCmdIdle,
     [](const wire::Data& d, DeviceSlot& slot) {
       wire::UnpackIdle(d, &slot.Idle);
       slot.ReadReserved1I = slot.Idle.Reserved1I;
     }},
    {wire::kCmdVersion,
     [](const wire::Data& d, DeviceSlot& slot) { slot.FwVersion = wire::UnpackVersion(d); }},
}};
static_assert(kConfigReadExchanges == kStepCount);

// The records are valid and clean once the last of them has arrived, even if
// the version then fails.
void MarkRecordsRead(DeviceSlot& slot) {
  slot.RecordsValid = 1;
  slot.SonarDirty = 0;
  slot.WalkAwayDirty = 0;
  slot.WalkUpDirty = 0;
  slot.IdleDirty = 0;
}

}  // namespace

ReadOutcome ReadInStep(std::int16_t first, std::int16_t count) {
  LibState& state = GetLibState();
  const std::int16_t current = state.CurrentIndex;
  ReadOutcome outcome;
  outcome.failedStep.fill(kStepCount);  // none failed
  std::array<bool, kMaxDevices> active{};
  std::array<std::int16_t, kMaxDevices> indices{};
  for (std::int16_t i = first; i < first + count; ++i) {
    active[i] = true;
    state.Slots[i].DevError = 0;
    indices[i - first] = i;
  }
  const SensorHold hold(indices.data(), count);

  const auto fail = [&](std::int16_t index, std::size_t step) {
    state.Slots[index].DevError |= kGroupRead;
    outcome.failedStep[index] = static_cast<std::uint8_t>(step);
    active[index] = false;
  };
  for (std::int16_t i = first; i < first + count; ++i) {
    if (hold.Holds(i)) continue;
    state.Slots[i].DevError = kErrSensorInUse;
    fail(i, 0);
  }
  for (std::size_t step = 0; step < kStepCount; ++step) {
    bool anyAsked = false;
    for (std::int16_t i = first; i < first + count; ++i) {
      if (!active[i]) continue;
      state.CurrentIndex = i;
      if (SendRequest(kReadSteps[step].command)) {
        anyAsked = true;
      } else {
        fail(i, step);
      }
    }
    if (!anyAsked) break;
    WaitForAnswers();
    for (std::int16_t i = first; i < first + count; ++i) {
      if (!active[i]) continue;
      state.CurrentIndex = i;
      wire::Data answer{};
      if (!FetchAnswer(&answer)) {
        fail(i, step);
        continue;
      }
      kReadSteps[step].decode(answer, state.Slots[i]);
      if (step == kIdleStep) MarkRecordsRead(state.Slots[i]);
    }
  }
  state.CurrentIndex = current;
  return outcome;
}

void KeepReservedWordsOf(std::int16_t first, std::int16_t last, const ReadOutcome& outcome) {
  // Read one after another, the sensor read last leaves its words; a sensor
  // that failed before an answer leaves the word before it.
  LibState& state = GetLibState();
  for (std::int16_t i = first; i <= last; ++i) {
    if (outcome.failedStep[i] > kWalkUpCodesStep) {
      state.LastReserved2WU = state.Slots[i].WalkUp.Reserved2WU;
    }
    if (outcome.failedStep[i] > kIdleStep) state.LastReserved1I = state.Slots[i].Idle.Reserved1I;
  }
}

int ReuseLastRead() {
  LibState& state = GetLibState();
  DeviceSlot& slot = CurrentSlot();
  if (state.DeviceCount == 0 || !slot.RecordsValid || slot.DevError != 0 || slot.SonarDirty ||
      slot.WalkAwayDirty || slot.WalkUpDirty || slot.IdleDirty) {
    return 0;
  }
  state.LastReserved2WU = slot.WalkUp.Reserved2WU;
  state.LastReserved1I = slot.Idle.Reserved1I;
  return 1;
}

int ReadDevCfg() {
  const std::int16_t index = GetLibState().CurrentIndex;
  const ReadOutcome outcome = ReadInStep(index, 1);
  KeepReservedWordsOf(index, index, outcome);
  return outcome.failedStep[index] == kStepCount ? 1 : 0;
}

}  // namespace kv
