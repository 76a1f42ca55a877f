// Holding the current sensor across several operations: a tool that reads a
// record, decides and writes it back holds the sensor from the read to the
// write's read-back, so no other program changes the record in between.
// Every operation holds its sensor anyway; inside a hold it does not wait.
#pragma once

#include <kv7700/device_info.h>
#include <kv7700/records.h>

#include <memory>

namespace kv {

class SensorHold;

class HeldSensors {
 public:
  // Holds the current sensor, waiting its turn as any operation does (up to
  // kSensorWaitMs); when it is not free in time, DevError holds
  // kErrSensorInUse and GetSensorHolder says who kept it.
  HeldSensors();
  // Holds those of the listed sensors that are free now, waiting for none,
  // so that no sensor is kept while this program waits for another: the
  // caller then holds each one missed on its own.
  HeldSensors(const SensorIndex* indices, SensorIndex count);
  ~HeldSensors();
  HeldSensors(const HeldSensors&) = delete;
  HeldSensors& operator=(const HeldSensors&) = delete;

  // Whether sensor `index` is held.
  bool Holds(SensorIndex index) const;
  // Whether the sensor current when the first form was made is held.
  bool Held() const { return Holds(current_); }

 private:
  std::unique_ptr<SensorHold> hold_;
  SensorIndex current_ = -1;
};

// Makes every wait for a sensor under way give up at its next look, as if
// the sensor stayed held; waits begun afterwards wait as usual. Safe from
// any thread: the end of the session calls it so that the resume of key
// sends does not queue behind a wait of up to kSensorWaitMs.
void CancelSensorWaits();

// Reads the records `which` names from the current sensor into `records`,
// leaving the others there, the cache, its dirty flags and the reserved
// words the next write sends alone: one exchange per record (two for each
// walk record). For comparing what the sensor holds now with an older read.
// 1 on success; 0 with DevError set (group kGroupRead) and `records` left
// as it was.
int ReadRecordsNow(const RecordFlags& which, RecordSet* records);

}  // namespace kv
