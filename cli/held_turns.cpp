#include "held_turns.h"

#include <kv7700/held_sensor.h>
#include <kv7700/kv7700.h>

#include "output.h"

namespace kv::cli {

void InTurns(const std::vector<int>& indices,
             const std::function<void(const std::vector<int>& held)>& work,
             const std::function<void(int index, std::uint32_t status)>& busy) {
  const std::vector<SensorIndex> slots(indices.begin(), indices.end());
  std::vector<int> later;
  {
    const HeldSensors free(slots.data(), static_cast<SensorIndex>(slots.size()));
    std::vector<int> held;
    for (int index : indices)
      (free.Holds(static_cast<SensorIndex>(index)) ? held : later).push_back(index);
    if (!held.empty()) work(held);
  }
  for (int index : later) {
    SelectDevice(static_cast<SensorIndex>(index));
    const HeldSensors one;
    if (one.Holds(static_cast<SensorIndex>(index))) {
      work({index});
    } else {
      busy(index, GetDevError());
    }
  }
}

RecordSet ReadAgain(const RecordSet& cached, const std::vector<RecordKind>& records,
                    const std::string& sensor) {
  RecordFlags which;
  for (RecordKind record : records) {
    switch (record) {
      case RecordKind::Sonar:
        which.sonar = true;
        break;
      case RecordKind::WalkAway:
        which.walkAway = true;
        break;
      case RecordKind::WalkUp:
        which.walkUp = true;
        break;
      case RecordKind::Idle:
        which.idle = true;
        break;
    }
  }
  RecordSet config = cached;
  if (!ReadRecordsNow(which, &config)) throw DeviceFailure("ReadDevCfg", sensor, GetDevError());
  return config;
}

}  // namespace kv::cli
