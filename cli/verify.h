// Reading a sensor back after a write: what the sensor should hold, and the
// check that it does. A write the sensor acknowledged but did not keep is a
// failure, never a success.
#pragma once

#include <string>
#include <vector>

#include "config_text.h"
#include "fields.h"

namespace kv::cli {

// Whether a field takes part in comparisons: the words the sensor keeps for
// itself (never sent from the cache) do not.
bool Compared(const Field& field);

// The fields of `records` that differ between `a` and `b`, leaving out the
// words the sensor keeps for itself.
std::vector<FieldChange> ComparedDifferences(const RecordSet& a, const RecordSet& b,
                                             const std::vector<RecordKind>& records);

// What the sensor holds once `records` of `wanted` are written to it, its
// last read having given `before`: the written records as the sensor keeps
// them, the others as they were.
RecordSet ExpectedAfterWrite(const RecordSet& wanted, const RecordSet& before,
                             const std::vector<RecordKind>& records);

// Reads the current sensor again and checks that `records` hold what
// `expected` says. Throws a failure naming every field that differs.
void VerifyWrite(const RecordSet& expected, const std::vector<RecordKind>& records,
                 const std::string& sensor);

// A sensor written together with others, to be read back.
struct WrittenSensor {
  int index = 0;
  std::string name;  // "sensor 0 (/dev/hidraw3)"
  RecordSet expected;
  std::vector<RecordKind> records;
};

// Reads the sensors back together, in the time of one, and checks each as
// VerifyWrite does; one that fails does not stop the others. Returns, per
// sensor in order, the failure's message, or "" when the sensor holds what
// was written.
std::vector<std::string> VerifyWrites(const std::vector<WrittenSensor>& sensors);

}  // namespace kv::cli
