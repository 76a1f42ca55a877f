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

void CopyRecord(const Configuration& from, Configuration* to, RecordKind record) {
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

std::vector<FieldChange> ComparedDifferences(const Configuration& a, const Configuration& b,
                                             const std::vector<RecordKind>& records) {
  std::vector<FieldChange> changes;
  for (const FieldChange& change : Differences(a, b)) {
    if (Compared(*change.field) && Contains(records, change.field->record)) {
      changes.push_back(change);
    }
  }
  return changes;
}

Configuration ExpectedAfterWrite(const Configuration& wanted, const Configuration& before,
                                 const std::vector<RecordKind>& records) {
  const Configuration kept = RecordsAsKept(wanted, before);
  Configuration expected = before;
  for (RecordKind record : records) CopyRecord(kept, &expected, record);
  return expected;
}

void VerifyWrite(const Configuration& expected, const std::vector<RecordKind>& records,
                 const std::string& sensor) {
  int ok = 0;
  {
    ProgressScope progress("Reading back " + sensor, 2 * kConfigReadExchanges);
    ok = ReadDevCfg();
  }
  if (!ok) throw DeviceFailure("ReadDevCfg (read-back)", sensor, GetDevError());
  const Configuration read = CachedConfiguration(sensor);
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

}  // namespace kv::cli
