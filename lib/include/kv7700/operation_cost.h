// What an operation costs, told before it runs, and how far along it is
// while it runs: the feature reports it exchanges and the time the sensors'
// waits take. Tools show progress from these and know no report counts of
// their own.
#pragma once

#include <kv7700/kv7700.h>
#include <kv7700/records.h>

#include <cstdint>
#include <functional>

namespace kv {

struct OperationCost {
  std::uint32_t reports = 0;  // feature reports, all sensors together
  std::uint32_t ms = 0;       // the sensors' waits; sensors in step wait once
  bool operator==(const OperationCost&) const = default;
};

// ReadDevCfg, and ReadDevCfgOfSensors or OpenAllDevices' read of `sensors`.
OperationCost ReadCost(SensorIndex sensors = 1);
// ReadRecordsNow of `records`.
OperationCost ReadRecordsCost(const RecordFlags& records);
// WriteDevCfg of `records`.
OperationCost WriteCost(const RecordFlags& records);
// WriteDevCfg of the current sensor's dirty records.
OperationCost WriteCost();
// WriteDevCfgOfSensors of the listed sensors' dirty records; nothing for a
// list WriteDevCfgOfSensors would refuse.
OperationCost WriteCostOfSensors(const SensorIndex* indices, SensorIndex count);
// FactoryResetDev, RestoreUserDefaultsDev or SaveUserDefaultsDev with the
// read-back that follows (a factory reset of firmware 4.0x repairs its idle
// record on top).
OperationCost MemoryCommandCost();
OperationCost RangeCost();    // GetRangeInfo
OperationCost ControlCost();  // SendControl (the sensor's settle time not included)

// An operation under way.
struct OperationProgress {
  const char* operation = "";  // the operation called: "ReadDevCfg", "OpenAllDevices", ...
  std::uint32_t reportsDone = 0;
  // What the cost functions said; grows when the operation learns of more
  // work (how many sensors discovery found, a reset's repair).
  std::uint32_t reportsExpected = 0;
};

// Called after each feature report an operation exchanges, on the thread
// that runs it; one listener per process, an empty one removes it.
using ProgressListener = std::function<void(const OperationProgress&)>;
void SetProgressListener(ProgressListener listener);

}  // namespace kv
