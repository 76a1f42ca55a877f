// WriteDevCfg: sends every dirty record of the current sensor, then the
// commit report that makes the sensor take them. Several sensors are written
// in step: each one's request goes out, the 250 ms are waited once for all of
// them, then each one's data report follows, so n sensors take the time of
// one.
#include <algorithm>
#include <array>
#include <span>
#include <vector>

#include "config_read.h"
#include "exchange.h"
#include "lib_state.h"
#include "operation_progress.h"
#include "sensor_hold.h"

namespace kv {

namespace {

struct DataWrite {
  std::uint8_t command;
  wire::Data data;
};

// The data reports of the dirty records, in the sensor's fixed order (the
// key records take ExchangesOf their kind, two).
struct WritePlan {
  std::array<DataWrite, 6> writes{};
  std::size_t count = 0;
  std::uint8_t mask = 0;  // the commit bits of the records sent so far
  bool active = false;    // still being written: no report of it has failed
  void Add(std::uint8_t command, const wire::Data& data) { writes[count++] = {command, data}; }
};

// The reserved words a walk-up or idle write sends back.
struct ReservedWords {
  std::uint16_t walkUp;
  std::uint16_t idle;
};

WritePlan PlanWrite(const DeviceSlot& slot, ReservedWords words) {
  WritePlan plan;
  plan.active = true;
  if (slot.SonarDirty) plan.Add(wire::kCmdSonar, wire::PackSonar(slot.Records.Sonar));
  if (slot.WalkAwayDirty) {
    plan.Add(wire::kCmdWalkAwayKeys, wire::PackWalkAwayKeys(slot.Records.WalkAway));
    plan.Add(wire::kCmdWalkAwayCodes, wire::PackWalkAwayCodes(slot.Records.WalkAway));
  }
  if (slot.WalkUpDirty) {
    plan.Add(wire::kCmdWalkUpKeys, wire::PackWalkUpKeys(slot.Records.WalkUp));
    plan.Add(wire::kCmdWalkUpCodes, wire::PackWalkUpCodes(slot.Records.WalkUp, words.walkUp));
  }
  if (slot.IdleDirty) plan.Add(wire::kCmdIdle, wire::PackIdle(slot.Records.Idle, words.idle));
  return plan;
}

// A failed write keeps every dirty flag and sends no commit, so the sensor
// keeps its old configuration and the next write sends everything again.
void Fail(DeviceSlot& slot, WritePlan& plan) {
  slot.DevError |= kGroupWrite;
  plan.active = false;
}

using Plans = std::array<WritePlan, kMaxDevices>;

// Sends the plans of the listed sensors, which this program holds, in step;
// false when any of them failed.
bool SendPlans(std::span<const std::int16_t> indices, Plans& plans) {
  LibState& state = GetLibState();
  std::size_t longest = 0;
  for (const std::int16_t index : indices) longest = std::max(longest, plans[index].count);
  // Runs `report` for every sensor still being written whose plan has a
  // write at `step`; true when any of them sent its report.
  const auto each = [&](std::size_t step, auto report) {
    bool any = false;
    for (const std::int16_t index : indices) {
      WritePlan& plan = plans[index];
      if (!plan.active || step >= plan.count) continue;
      state.CurrentIndex = index;
      if (report(plan.writes[step])) {
        any = true;
      } else {
        Fail(state.Slots[index], plan);
      }
    }
    return any;
  };

  for (std::size_t step = 0; step < longest; ++step) {
    if (!each(step, [](const DataWrite& write) { return SendRequest(write.command) != 0; })) {
      continue;
    }
    WaitForAnswers();
    each(step, [&](const DataWrite& write) {
      if (!SetFeature(wire::DataReport(write.data))) return false;
      plans[state.CurrentIndex].mask |= wire::CommitBit(write.command);
      return true;
    });
  }

  bool written = true;
  for (const std::int16_t index : indices) {
    DeviceSlot& slot = state.Slots[index];
    WritePlan& plan = plans[index];
    state.CurrentIndex = index;
    // Sent also with an empty mask; the sensor needs no time after it.
    if (plan.active && !SetFeature(wire::CommitReport(plan.mask))) Fail(slot, plan);
    if (!plan.active) {
      written = false;
      continue;
    }
    slot.SonarDirty = 0;
    slot.WalkAwayDirty = 0;
    slot.WalkUpDirty = 0;
    slot.IdleDirty = 0;
  }
  return written;
}

// Writes the listed sensors together; each ends as its own WriteDevCfg would
// have left it. `ownWords`: each sensor read is sent back its own reserved
// words rather than those of the sensor read last. The current sensor is
// left alone. The free sensors are written together at once; each busy one
// afterwards, waiting for it alone.
int WriteInStep(const std::int16_t* indices, std::int16_t count, bool ownWords) {
  LibState& state = GetLibState();
  const std::int16_t current = state.CurrentIndex;
  Plans plans{};
  for (std::int16_t n = 0; n < count; ++n) {
    DeviceSlot& slot = state.Slots[indices[n]];
    slot.DevError = 0;
    ReservedWords words{state.LastReserved2WU, state.LastReserved1I};
    if (ownWords && slot.RecordsValid) words = {slot.ReadReserved2WU, slot.ReadReserved1I};
    plans[indices[n]] = PlanWrite(slot, words);
  }
  bool written = true;
  std::vector<std::int16_t> held;
  std::vector<std::int16_t> busy;
  {
    const SensorHold free(indices, count);
    for (std::int16_t n = 0; n < count; ++n) {
      (free.Holds(indices[n]) ? held : busy).push_back(indices[n]);
    }
    written = SendPlans(held, plans);
  }
  for (std::int16_t index : busy) {
    const SensorHold one(index);
    if (one.Holds(index)) {
      written = SendPlans(std::span(&index, 1), plans) && written;
      continue;
    }
    state.Slots[index].DevError = kErrSensorInUse;
    Fail(state.Slots[index], plans[index]);
    written = false;
  }
  state.CurrentIndex = current;
  for (std::int16_t n = 0; n < count; ++n) {
    DeviceSlot& slot = state.Slots[indices[n]];
    NoteOutcome(slot, ownWords ? "WriteDevCfgOfSensors" : "WriteDevCfg",
                plans[indices[n]].active ? 1 : 0);
  }
  return written ? 1 : 0;
}

}  // namespace

int WriteDevCfg() {
  const OperationScope scope("WriteDevCfg", WriteCost());
  const std::int16_t current = GetLibState().CurrentIndex;
  return WriteInStep(&current, 1, false);
}

int WriteDevCfgOfSensors(const SensorIndex* indices, SensorIndex count) {
  if (!IsListOfOpenSensors(indices, count)) return 0;
  const OperationScope scope("WriteDevCfgOfSensors", WriteCostOfSensors(indices, count));
  return WriteInStep(indices, count, true);
}

}  // namespace kv
