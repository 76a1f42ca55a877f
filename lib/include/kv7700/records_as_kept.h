// What a sensor keeps of records written to it, worked out without a sensor:
// for tools that compare a wanted configuration with a sensor's and check a
// read-back after a write.
#pragma once

#include <kv7700/records.h>

namespace kv {

// The records a read returns after `records` have been written to a sensor
// whose last read gave `sensor`: each record packed as a write sends it and
// unpacked and clamped as a read takes it back (ping rates in 4 ms steps,
// inter-key delays in 64 ms steps, distances through echo ticks, byte words
// cut to the bits the sensor keeps). The reserved words a write carries from
// the sensor rather than from the cache are taken from `sensor`.
RecordSet RecordsAsKept(const RecordSet& records, const RecordSet& sensor);

}  // namespace kv
