#include "sensor.h"

#include <kv7700/clock.h>
#include <kv7700/device_info.h>
#include <kv7700/halt_notes.h>
#include <kv7700/held_sensor.h>
#include <kv7700/kv7700.h>
#include <kv7700/sensor_facts.h>

#include <algorithm>
#include <cstdio>

#include "output.h"
#include "platform_advice.h"
#include "progress.h"

namespace kv::cli {

namespace {

std::string NoSensorMessage(std::uint32_t libError) {
  return "OpenAllDevices found no sensor (status " + StatusWord(libError) + ": " +
         ExplainLibError(libError) + ").\nPlug a KV7700 sensor in (" + WhereTheSensorIsListed() +
         "), or try the tool on an emulated sensor with --simulate.";
}

}  // namespace

std::string AccessDeniedMessage(const std::vector<std::string>& paths) {
  std::string message;
  for (const std::string& path : paths) {
    message += "A KV7700 sensor is present at " + path + ", but this user may not open it.\n";
  }
  return message + AccessAdvice();
}

namespace {

// Key sends a window left halted when it was killed: resumed at the next
// start, with the sensor's settle time inside the hold.
void ResumeOrphanedHalts() {
  for (const HaltNote& note : OrphanedHaltNotes()) {
    for (SensorIndex index = 0; index < GetDeviceCount(); ++index) {
      if (GetDevicePath(index) != note.path || !SelectDevice(index)) continue;
      const HeldSensors hold;
      if (!hold.Held() || !SendControl(0)) continue;
      GetClock().SleepMs(kKeySendSettleMs);
      RemoveHaltNote(note);
      Progress::Instance().PrintLine("kv7700ctl: note: the key sends of " + note.path +
                                     " were left halted by " + note.program +
                                     ", which ended without resuming them; they are resumed.");
    }
  }
}

}  // namespace

SensorRun::~SensorRun() {
  if (open_) CloseAllDevices();
}

void SensorRun::OpenAll() {
  int result = 0;
  {
    ProgressScope progress("Reading sensors");
    result = OpenAllDevices(nullptr);
  }
  open_ = true;
  const std::vector<std::string> denied = GetAccessDeniedPaths();
  if (GetDeviceCount() == 0) {
    if (!denied.empty()) {
      const std::uint32_t libError = GetLibError();
      throw Failure("OpenAllDevices opened no sensor (status " + StatusWord(libError) +
                    "): access was denied.\n" + AccessDeniedMessage(denied));
    }
    throw Failure(NoSensorMessage(GetLibError()));
  }
  for (const std::string& path : denied) {
    Progress::Instance().PrintLine("kv7700ctl: note: a sensor at " + path +
                                   " is present but not accessible; " + AccessAdviceInBrief() +
                                   ".");
  }
  if (!result) {
    // Discovery stops at the first sensor that fails its read; the sensors
    // after it are read now, together.
    std::vector<int> unread;
    for (int i = 0; i < Count(); ++i) {
      SelectDevice(static_cast<std::int16_t>(i));
      kv::SensorInfo info;
      if (const std::uint32_t error = GetDevError(); error != 0) {
        readErrors_[i] = error;
      } else if (GetSensorInfo(static_cast<SensorIndex>(i), &info) && !info.recordsRead) {
        unread.push_back(i);
      }
    }
    if (!unread.empty()) {
      const std::vector<std::uint32_t> errors = ReadConfigurations(unread, "Reading");
      for (std::size_t n = 0; n < unread.size(); ++n) {
        if (errors[n] != 0) readErrors_[unread[n]] = errors[n];
      }
    }
  }
  ResumeOrphanedHalts();
  SelectDevice(0);
}

void SensorRun::OpenPresent() {
  ProgressScope progress("Reading sensors");
  OpenAllDevices(nullptr);
  open_ = true;
}

bool SensorRun::OpenPath(const std::string& path) {
  open_ = true;
  const bool opened = DeviceArrived(path.c_str()) == 1;
  ResumeOrphanedHalts();
  SelectDevice(0);
  return opened;
}

std::vector<std::uint32_t> SensorRun::Reread(const std::vector<int>& indices) {
  // A sensor whose first read failed keeps that failure.
  std::vector<int> sound;
  for (int index : indices) {
    if (!readErrors_.contains(index)) sound.push_back(index);
  }
  const std::vector<std::uint32_t> read =
      sound.empty() ? std::vector<std::uint32_t>() : ReadConfigurations(sound, "Reading");
  std::vector<std::uint32_t> errors;
  for (int index : indices) {
    const auto at = std::find(sound.begin(), sound.end(), index);
    if (at == sound.end()) {
      errors.push_back(readErrors_[index]);
      continue;
    }
    const std::uint32_t error = read[static_cast<std::size_t>(at - sound.begin())];
    if (error != 0) readErrors_[index] = error;
    errors.push_back(error);
  }
  return errors;
}

int SensorRun::Count() const {
  return GetDeviceCount();
}

void SensorRun::Select(int index) {
  if (index < 0 || index >= Count() || !SelectDevice(static_cast<std::int16_t>(index))) {
    const int count = Count();
    throw UsageError("there is no sensor " + std::to_string(index) + ": " + std::to_string(count) +
                     (count == 1 ? " sensor is" : " sensors are") + " attached (numbered 0" +
                     (count > 1 ? " to " + std::to_string(count - 1) : std::string()) +
                     "). Run 'kv7700ctl list' to see them.");
  }
}

void SensorRun::SelectRead(int index) {
  if (const std::uint32_t error = TryRead(index); error != 0) {
    throw DeviceFailure("ReadDevCfg", Describe(index), error);
  }
}

std::uint32_t SensorRun::TryRead(int index) {
  Select(index);
  if (const auto failed = readErrors_.find(index); failed != readErrors_.end()) {
    return failed->second;
  }
  if (Info(index).recordsRead) return 0;
  // Discovery stopped before this sensor: read it now.
  int ok = 0;
  {
    ProgressScope progress("Reading " + Describe(index));
    ok = ReadDevCfg();
  }
  if (ok) return 0;
  return readErrors_[index] = GetDevError();
}

SensorInfo SensorRun::Info(int index) {
  SensorInfo info;
  info.index = static_cast<SensorIndex>(index);
  GetSensorInfo(info.index, &info);
  if (const auto failed = readErrors_.find(index); failed != readErrors_.end()) {
    info.readError = failed->second;
    info.recordsRead = false;
  }
  return info;
}

std::string SensorRun::Describe(int index) {
  const std::string path = GetDevicePath(static_cast<SensorIndex>(index));
  return "sensor " + std::to_string(index) + (path.empty() ? "" : " (" + path + ")");
}

std::string FirmwareText(std::uint16_t firmware) {
  char text[16];
  std::snprintf(text, sizeof text, "%X.%02X", firmware >> 8, firmware & 0xFF);
  return text;
}

namespace {

int StoreRecord(const RecordSet& config, RecordKind record) {
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

}  // namespace

RecordSet CachedConfiguration(const std::string& sensor) {
  RecordSet config;
  if (!GetSonarParms(&config.Sonar)) throw DeviceFailure("GetSonarParms", sensor, GetDevError());
  if (!GetWalkAwayParms(&config.WalkAway)) {
    throw DeviceFailure("GetWalkAwayParms", sensor, GetDevError());
  }
  if (!GetWalkUpParms(&config.WalkUp)) throw DeviceFailure("GetWalkUpParms", sensor, GetDevError());
  if (!GetIdleParms(&config.Idle)) throw DeviceFailure("GetIdleParms", sensor, GetDevError());
  return config;
}

Sensor ReadSensor(SensorRun& sensors, int index) {
  sensors.SelectRead(index);
  Sensor sensor{index, sensors.Info(index), sensors.Describe(index), {}};
  sensors.Select(index);
  sensor.config = CachedConfiguration(sensor.name);
  // A write carries the reserved words of the sensor read last; with several
  // sensors read in step that is another sensor, so take this one's.
  ReuseLastRead();
  return sensor;
}

void StoreRecords(const RecordSet& config, const std::vector<RecordKind>& records,
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

void WriteConfiguration(const std::string& sensor) {
  int ok = 0;
  {
    ProgressScope progress("Writing to " + sensor);
    ok = WriteDevCfg();
  }
  if (!ok) throw DeviceFailure("WriteDevCfg", sensor, GetDevError());
}

namespace {

// The DevError each of `slots` was left with.
std::vector<std::uint32_t> StatusWords(const std::vector<std::int16_t>& slots) {
  std::vector<std::uint32_t> errors;
  for (std::int16_t slot : slots) {
    SelectDevice(slot);
    errors.push_back(GetDevError());
  }
  return errors;
}

}  // namespace

std::vector<std::uint32_t> WriteConfigurations(const std::vector<int>& indices) {
  std::vector<std::int16_t> slots(indices.begin(), indices.end());
  {
    ProgressScope progress("Writing to " + std::to_string(indices.size()) + " sensors");
    WriteDevCfgOfSensors(slots.data(), static_cast<std::int16_t>(slots.size()));
  }
  return StatusWords(slots);
}

std::vector<std::uint32_t> ReadConfigurations(const std::vector<int>& indices,
                                              const std::string& what) {
  std::vector<std::int16_t> slots(indices.begin(), indices.end());
  {
    ProgressScope progress(what + " " + std::to_string(indices.size()) + " sensors");
    ReadDevCfgOfSensors(slots.data(), static_cast<std::int16_t>(slots.size()));
  }
  return StatusWords(slots);
}

}  // namespace kv::cli
