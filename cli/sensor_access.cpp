#include "sensor_access.h"

#include <kv7700/kv7700.h>

#include "errors.h"
#include "progress.h"

namespace kv::cli {

namespace {

int StoreRecord(const Configuration& config, RecordKind record) {
  switch (record) {
    case RecordKind::Sonar:
      return SetSonarParms(&config.Sonar);
    case RecordKind::WalkAway:
      return SetWalkAwayParms(&config.WalkAway);
    case RecordKind::WalkUp:
      return SetWalkUpParms(&config.WalkUp);
    case RecordKind::Idle:
      return SetIdleParms(&config.Idle);
  }
  return 0;
}

// Reports (requests and data reports) a write of the record sends.
int ReportsOf(RecordKind record) {
  return record == RecordKind::WalkAway || record == RecordKind::WalkUp ? 4 : 2;
}

}  // namespace

Configuration CachedConfiguration(const std::string& sensor) {
  Configuration config;
  if (!GetSonarParms(&config.Sonar)) throw DeviceFailure("GetSonarParms", sensor, GetDevError());
  if (!GetWalkAwayParms(&config.WalkAway)) {
    throw DeviceFailure("GetWalkAwayParms", sensor, GetDevError());
  }
  if (!GetWalkUpParms(&config.WalkUp)) throw DeviceFailure("GetWalkUpParms", sensor, GetDevError());
  if (!GetIdleParms(&config.Idle)) throw DeviceFailure("GetIdleParms", sensor, GetDevError());
  return config;
}

Sensor ReadSensor(Session& session, int index) {
  session.SelectRead(index);
  Sensor sensor{index, session.Info(index), session.Describe(index), {}};
  session.Select(index);
  sensor.config = CachedConfiguration(sensor.name);
  return sensor;
}

void StoreRecords(const Configuration& config, const std::vector<RecordKind>& records,
                  const std::string& sensor) {
  for (RecordKind record : records) {
    if (StoreRecord(config, record)) continue;
    const std::uint32_t status = GetDevError();
    const Field* field = FindCheckedField(status);
    if (!field) throw DeviceFailure(SetOperationName(record), sensor, status);
    throw Failure(std::string(SetOperationName(record)) + " refused " + std::string(field->name) +
                  " = " + std::to_string(Value(config, *field)) + " for " + sensor +
                  " with status " + StatusWord(status) + ": the allowed range is " +
                  std::to_string(field->check.low) + " to " + std::to_string(field->check.high) +
                  ". Nothing was written to the sensor.");
  }
}

void WriteConfiguration(const std::vector<RecordKind>& records, const std::string& sensor) {
  int reports = 1;  // the commit
  for (RecordKind record : records) reports += ReportsOf(record);
  int ok = 0;
  {
    ProgressScope progress("Writing to " + sensor, reports);
    ok = WriteDevCfg();
  }
  if (!ok) throw DeviceFailure("WriteDevCfg", sensor, GetDevError());
}

}  // namespace kv::cli
