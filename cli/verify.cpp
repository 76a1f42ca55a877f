#include "verify.h"

#include <kv7700/kv7700.h>
#include <kv7700/records_as_kept.h>
#include <kv7700/sensor_facts.h>

#include <algorithm>

#include "output.h"
#include "progress.h"
#include "sensor.h"

namespace kv::cli {

namespace {

bool Contains(const std::vector<RecordKind>& records, RecordKind record) {
  return std::find(records.begin(), records.end(), record) != records.end();
}

void CopyRecord(const RecordSet& from, RecordSet* to, RecordKind record) {
  switch (record) {
    case RecordKind::Sonar:
      to->Sonar = from.Sonar;
      break;
    case RecordKind::WalkAway:
      to->WalkAway = from.WalkAway;
      break;
    case RecordKind::WalkUp:
      to->WalkUp = from.WalkUp;
      break;
    case RecordKind::Idle:
      to->Idle = from.Idle;
      break;
  }
}

}  // namespace

bool Compared(const Field& field) {
  return field.access != FieldAccess::SensorKept;
}

std::vector<FieldChange> ComparedDifferences(const RecordSet& a, const RecordSet& b,
                                             const std::vector<RecordKind>& records) {
  std::vector<FieldChange> changes;
  for (const FieldChange& change : Differences(a, b)) {
    if (Compared(*change.field) && Contains(records, change.field->record)) {
      changes.push_back(change);
    }
  }
  return changes;
}

RecordSet ExpectedAfterWrite(const RecordSet& wanted, const RecordSet& before,
                             const std::vector<RecordKind>& records) {
  const RecordSet kept = RecordsAsKept(wanted, before);
  RecordSet expected = before;
  for (RecordKind record : records) CopyRecord(kept, &expected, record);
  return expected;
}

namespace {

// Checks the current sensor's cache, just read back, against `expected`.
void CheckReadBack(const RecordSet& expected, const std::vector<RecordKind>& records,
                   const std::string& sensor) {
  const RecordSet read = CachedConfiguration(sensor);
  const std::vector<FieldChange> wrong = ComparedDifferences(expected, read, records);
  if (wrong.empty()) return;
  std::string message = "the read-back of " + sensor + " differs from what was written:";
  for (const FieldChange& change : wrong) {
    message += "\n  " + std::string(change.field->name) + ": wrote " +
               std::to_string(change.before) + ", the sensor holds " + std::to_string(change.after);
  }
  message +=
      "\nThe sensor acknowledged the write but did not keep it. Unplug it and plug it back in, "
      "then try again; if it happens again the sensor may be faulty.";
  throw Failure(message);
}

constexpr const char* kReadBack = "ReadDevCfg (read-back)";

}  // namespace

void VerifyWrite(const RecordSet& expected, const std::vector<RecordKind>& records,
                 const std::string& sensor) {
  int ok = 0;
  {
    ProgressScope progress("Reading back " + sensor);
    ok = ReadDevCfg();
  }
  if (!ok) throw DeviceFailure(kReadBack, sensor, GetDevError());
  CheckReadBack(expected, records, sensor);
}

std::vector<std::string> VerifyWrites(const std::vector<WrittenSensor>& sensors) {
  if (sensors.empty()) return {};
  std::vector<int> indices;
  indices.reserve(sensors.size());
  for (const WrittenSensor& sensor : sensors) indices.push_back(sensor.index);
  const std::vector<std::uint32_t> errors = ReadConfigurations(indices, "Reading back");
  std::vector<std::string> failures;
  for (std::size_t n = 0; n < sensors.size(); ++n) {
    const WrittenSensor& sensor = sensors[n];
    if (errors[n] != 0) {
      failures.emplace_back(DeviceFailure(kReadBack, sensor.name, errors[n]).what());
      continue;
    }
    try {
      SelectDevice(static_cast<std::int16_t>(sensor.index));
      CheckReadBack(sensor.expected, sensor.records, sensor.name);
      failures.emplace_back();
    } catch (const CliError& error) {
      failures.emplace_back(error.what());
    }
  }
  return failures;
}

}  // namespace kv::cli
