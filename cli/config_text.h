// A configuration as people and scripts read it: the records field by field,
// the key sequences by name, and what changes between two configurations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fields.h"
#include "output.h"
#include "sensor.h"

namespace kv::cli {

// "Sensor 0: /dev/hidraw3, firmware 1.44" and its JSON object.
std::string SensorHeading(const SensorInfo& info);
Json SensorJson(const SensorInfo& info);

// "  PingRateS          200  ms" for each field of `record`.
std::vector<std::string> RecordLines(RecordKind record, const RecordSet& config,
                                     std::uint16_t firmware);
// {"LEDFlagsS": 0, ...} for one record.
Json RecordJson(RecordKind record, const RecordSet& config);

// The key strokes the sensor will type: walk-away, walk-up, keep-alive.
std::vector<std::string> KeySequenceLines(const RecordSet& config);
Json KeySequencesJson(const RecordSet& config);

struct FieldChange {
  const Field* field;
  std::uint16_t before;
  std::uint16_t after;
};
std::vector<FieldChange> Differences(const RecordSet& before, const RecordSet& after);
// One line per changed field, old and new value (key fields by name), then
// one line per key sequence that changes.
std::vector<std::string> ChangeLines(const RecordSet& before, const RecordSet& after,
                                     std::uint16_t firmware);
Json ChangesJson(const RecordSet& before, const RecordSet& after);

// "tsSonarParms, tsWalkAwayParms".
std::string RecordList(const std::vector<RecordKind>& records);
Json RecordListJson(const std::vector<RecordKind>& records);

}  // namespace kv::cli
