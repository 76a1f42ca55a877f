#include <kv7700/records_as_kept.h>

#include "lib_state.h"
#include "wire_codec.h"

namespace kv {

RecordSet RecordsAsKept(const RecordSet& records, const RecordSet& sensor) {
  RecordSet kept = records;
  // The same unpacking and clamping as a configuration read.
  wire::UnpackSonar(wire::PackSonar(records.Sonar), &kept.Sonar);
  CheckSonarParms(&kept.Sonar, 1);
  wire::UnpackWalkAwayKeys(wire::PackWalkAwayKeys(records.WalkAway), &kept.WalkAway);
  CheckWalkAwayParms(&kept.WalkAway, 1);
  wire::UnpackWalkAwayCodes(wire::PackWalkAwayCodes(records.WalkAway), &kept.WalkAway);
  wire::UnpackWalkUpKeys(wire::PackWalkUpKeys(records.WalkUp), &kept.WalkUp);
  CheckWalkUpParms(&kept.WalkUp, 1);
  wire::UnpackWalkUpCodes(wire::PackWalkUpCodes(records.WalkUp, sensor.WalkUp.Reserved2WU),
                          &kept.WalkUp);
  wire::UnpackIdle(wire::PackIdle(records.Idle, sensor.Idle.Reserved1I), &kept.Idle);
  return kept;
}

}  // namespace kv
