// The library's record operations on the current sensor, with failures turned
// into messages that name the operation, the sensor and the status word.
#pragma once

#include <string>
#include <vector>

#include "fields.h"
#include "session.h"

namespace kv::cli {

// One sensor of the run, selected and with its configuration read.
struct Sensor {
  int index = 0;
  SensorInfo info;
  std::string name;  // "sensor 0 (/dev/hidraw3)"
  Configuration config;
};

// Selects sensor `index` of the open session, makes sure its configuration is
// read and takes its cached records; the sensor stays current.
Sensor ReadSensor(Session& session, int index);

// The cached records of the current sensor (read at open).
Configuration CachedConfiguration(const std::string& sensor);

// Stores `records` of `config` through the library's Set operations, in the
// order the list gives. When the library refuses one, throws a failure that
// names the field, its value and the allowed range; records stored before it
// stay in the cache only (nothing is sent until WriteConfiguration).
void StoreRecords(const Configuration& config, const std::vector<RecordKind>& records,
                  const std::string& sensor);

// Sends the stored (dirty) records with one WriteDevCfg; `records` are the
// ones stored, for the progress display.
void WriteConfiguration(const std::vector<RecordKind>& records, const std::string& sensor);

}  // namespace kv::cli
