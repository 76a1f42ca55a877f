// WriteDevCfg: sends every dirty record of the current sensor, then the
// commit report that makes the sensor take them.
#include <array>

#include "exchange.h"
#include "lib_state.h"

namespace kv {

namespace {

struct DataWrite {
  std::uint8_t command;
  wire::Data data;
};

// The data reports of the dirty records, in the sensor's fixed order.
struct WritePlan {
  std::array<DataWrite, 6> writes{};
  std::size_t count = 0;
  void Add(std::uint8_t command, const wire::Data& data) { writes[count++] = {command, data}; }
};

WritePlan PlanWrite(const DeviceSlot& slot, const LibState& state) {
  WritePlan plan;
  if (slot.SonarDirty) plan.Add(wire::kCmdSonar, wire::PackSonar(slot.Sonar));
  if (slot.WalkAwayDirty) {
    plan.Add(wire::kCmdWalkAwayKeys, wire::PackWalkAwayKeys(slot.WalkAway));
    plan.Add(wire::kCmdWalkAwayCodes, wire::PackWalkAwayCodes(slot.WalkAway));
  }
  if (slot.WalkUpDirty) {
    plan.Add(wire::kCmdWalkUpKeys, wire::PackWalkUpKeys(slot.WalkUp));
    plan.Add(wire::kCmdWalkUpCodes, wire::PackWalkUpCodes(slot.WalkUp, state.LastReserved2WU));
  }
  if (slot.IdleDirty) plan.Add(wire::kCmdIdle, wire::PackIdle(slot.Idle, state.LastReserved1I));
  return plan;
}

// A failed write keeps every dirty flag and sends no commit, so the sensor
// keeps its old configuration and the next write sends everything again.
int Fail(DeviceSlot& slot) {
  slot.DevError |= kGroupWrite;
  return 0;
}

}  // namespace

int WriteDevCfg() {
  LibState& state = GetLibState();
  DeviceSlot& slot = CurrentSlot();
  slot.DevError = 0;

  const WritePlan plan = PlanWrite(slot, state);
  std::uint8_t mask = 0;
  for (std::size_t i = 0; i < plan.count; ++i) {
    const DataWrite& write = plan.writes[i];
    if (!WriteExchange(write.command, write.data)) return Fail(slot);
    mask |= wire::CommitBit(write.command);
  }
  // Sent also with an empty mask; the sensor needs no time after it.
  if (!SetFeature(wire::CommitReport(mask))) return Fail(slot);

  slot.SonarDirty = 0;
  slot.WalkAwayDirty = 0;
  slot.WalkUpDirty = 0;
  slot.IdleDirty = 0;
  return 1;
}

}  // namespace kv
