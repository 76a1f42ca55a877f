// ReadDevCfg: the whole configuration and the firmware version of a sensor,
// seven request/response exchanges. Several sensors are read in step: each
// one's request goes out, the 250 ms are waited once for all of them, then
// every answer is fetched, so n sensors take the time of one; a sensor that
// fails drops out and the others go on.
#include "config_read.h"

#include <array>
#include <span>
#include <vector>

#include "exchange.h"
#include "lib_state.h"
#include "operation_progress.h"
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
       wire::UnpackSonar(d, &slot.Records.Sonar);
       CheckSonarParms(&slot.Records.Sonar, 1);
     }},
    {wire::kCmdWalkAwayKeys,
     [](const wire::Data& d, DeviceSlot& slot) {
       wire::UnpackWalkAwayKeys(d, &slot.Records.WalkAway);
       CheckWalkAwayParms(&slot.Records.WalkAway, 1);
     }},
    {wire::kCmdWalkAwayCodes,
     [](const wire::Data& d, DeviceSlot& slot) {
       wire::UnpackWalkAwayCodes(d, &slot.Records.WalkAway);
     }},
    {wire::kCmdWalkUpKeys,
     [](const wire::Data& d, DeviceSlot& slot) {
       wire::UnpackWalkUpKeys(d, &slot.Records.WalkUp);
       CheckWalkUpParms(&slot.Records.WalkUp, 1);
     }},
    {wire::kCmdWalkUpCodes,
     [](const wire::Data& d, DeviceSlot& slot) {
       wire::UnpackWalkUpCodes(d, &slot.Records.WalkUp);
       slot.ReadReserved2WU = slot.Records.WalkUp.Reserved2WU;
     }},
    {wire::kCmdIdle,
     [](const wire::Data& d, DeviceSlot& slot) {
       wire::UnpackIdle(d, &slot.Records.Idle);
       slot.ReadReserved1I = slot.Records.Idle.Reserved1I;
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

std::uint8_t ReadStepCommand(std::size_t step) {
  return kReadSteps[step].command;
}

void DecodeReadStep(std::size_t step, const wire::Data& answer, DeviceSlot& slot) {
  kReadSteps[step].decode(answer, slot);
}

namespace {

// Reads the listed sensors that `hold` has, in step; those it missed are
// left for the caller.
void ReadHeld(std::span<const std::int16_t> listed, const SensorHold& hold, ReadOutcome& outcome) {
  LibState& state = GetLibState();
  std::array<bool, kMaxDevices> active{};
  for (std::int16_t i : listed) active[i] = hold.Holds(i);

  const auto fail = [&](std::int16_t index, std::size_t step) {
    state.Slots[index].DevError |= kGroupRead;
    outcome.failedStep[index] = static_cast<std::uint8_t>(step);
    active[index] = false;
  };
  for (std::size_t step = 0; step < kStepCount; ++step) {
    bool anyAsked = false;
    for (std::int16_t i : listed) {
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
    for (std::int16_t i : listed) {
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
}

}  // namespace

ReadOutcome ReadInStep(std::span<const std::int16_t> listed) {
  LibState& state = GetLibState();
  const std::int16_t current = state.CurrentIndex;
  ReadOutcome outcome;
  outcome.failedStep.fill(kStepCount);  // none failed
  for (std::int16_t i : listed) state.Slots[i].DevError = 0;
  // The free sensors are read together at once; each busy one afterwards,
  // waiting for it alone.
  std::vector<std::int16_t> busy;
  {
    const SensorHold free(listed.data(), static_cast<std::int16_t>(listed.size()));
    ReadHeld(listed, free, outcome);
    for (std::int16_t i : listed) {
      if (!free.Holds(i)) busy.push_back(i);
    }
  }
  for (std::int16_t i : busy) {
    const SensorHold one(i);
    if (one.Holds(i)) {
      ReadHeld(std::span(&i, 1), one, outcome);
    } else {
      state.Slots[i].DevError = kGroupRead | kErrSensorInUse;
      outcome.failedStep[i] = 0;
    }
  }
  state.CurrentIndex = current;
  return outcome;
}

ReadOutcome ReadInStep(std::int16_t first, std::int16_t count) {
  std::array<std::int16_t, kMaxDevices> indices{};
  for (std::int16_t n = 0; n < count; ++n) indices[n] = static_cast<std::int16_t>(first + n);
  return ReadInStep(std::span(indices.data(), std::size_t(count)));
}

void KeepReservedWordsOf(std::span<const std::int16_t> indices, const ReadOutcome& outcome) {
  // Read one after another, the sensor read last leaves its words; a sensor
  // that failed before an answer leaves the word before it.
  LibState& state = GetLibState();
  for (std::int16_t i : indices) {
    if (outcome.failedStep[i] > kWalkUpCodesStep) {
      state.LastReserved2WU = state.Slots[i].Records.WalkUp.Reserved2WU;
    }
    if (outcome.failedStep[i] > kIdleStep)
      state.LastReserved1I = state.Slots[i].Records.Idle.Reserved1I;
  }
}

void KeepReservedWordsOf(std::int16_t first, std::int16_t last, const ReadOutcome& outcome) {
  std::array<std::int16_t, kMaxDevices> indices{};
  std::int16_t count = 0;
  for (std::int16_t i = first; i <= last; ++i) indices[count++] = i;
  KeepReservedWordsOf(std::span(indices.data(), std::size_t(count)), outcome);
}

bool IsListOfOpenSensors(const std::int16_t* indices, std::int16_t count) {
  const LibState& state = GetLibState();
  if (count < 0 || (count > 0 && !indices)) return false;
  std::array<bool, kMaxDevices> listed{};
  for (std::int16_t n = 0; n < count; ++n) {
    const std::int16_t index = indices[n];
    if (index < 0 || index >= state.DeviceCount || listed[index]) return false;
    listed[index] = true;
  }
  return true;
}

int ReuseLastRead() {
  LibState& state = GetLibState();
  DeviceSlot& slot = CurrentSlot();
  if (state.DeviceCount == 0 || !slot.RecordsValid || slot.DevError != 0 || slot.SonarDirty ||
      slot.WalkAwayDirty || slot.WalkUpDirty || slot.IdleDirty) {
    return 0;
  }
  state.LastReserved2WU = slot.Records.WalkUp.Reserved2WU;
  state.LastReserved1I = slot.Records.Idle.Reserved1I;
  return 1;
}

int ReadDevCfg() {
  const OperationScope scope("ReadDevCfg", ReadCost());
  const std::int16_t index = GetLibState().CurrentIndex;
  const ReadOutcome outcome = ReadInStep(index, 1);
  KeepReservedWordsOf(index, index, outcome);
  return NoteOutcome("ReadDevCfg", outcome.failedStep[index] == kStepCount ? 1 : 0);
}

int ReadDevCfgOfSensors(const SensorIndex* indices, SensorIndex count) {
  if (!IsListOfOpenSensors(indices, count)) return 0;
  const OperationScope scope("ReadDevCfgOfSensors", ReadCost(count));
  const std::span<const std::int16_t> listed(indices, std::size_t(count));
  const ReadOutcome outcome = ReadInStep(listed);
  KeepReservedWordsOf(listed, outcome);
  int read = 1;
  for (std::int16_t n = 0; n < count; ++n) {
    const int ok = outcome.failedStep[indices[n]] == kStepCount ? 1 : 0;
    NoteOutcome(GetLibState().Slots[indices[n]], "ReadDevCfgOfSensors", ok);
    if (!ok) read = 0;
  }
  return read;
}

}  // namespace kv
