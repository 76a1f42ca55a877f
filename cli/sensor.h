// The sensors of one run (opened and read once at the start, closed at the
// end, one of them current at a time) and the library's record operations on
// the current one, with failures turned into messages that name the
// operation, the sensor and the status word.
#pragma once

#include <kv7700/device_info.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fields.h"

namespace kv::cli {

// What the library tells of a sensor, and the DevError of its failed
// configuration read (kept by the run: later operations leave their own).
struct SensorInfo : kv::SensorInfo {
  std::uint32_t readError = 0;
};

class SensorRun {
 public:
  SensorRun() = default;
  ~SensorRun();
  SensorRun(const SensorRun&) = delete;
  SensorRun& operator=(const SensorRun&) = delete;

  // Opens every sensor and reads each one's configuration. Fails when no
  // sensor can be used: none present, or present but not accessible.
  void OpenAll();
  // Opens whatever sensors are present, none being fine (for monitor).
  void OpenPresent();
  // Opens the sensor at interface path `path` alone, reading nothing; false
  // when it cannot be opened (no sensor there, or not this user's).
  bool OpenPath(const std::string& path);
  // Reads the listed sensors again together (their configurations become
  // the cache); per sensor in `indices` order, its DevError (0 when read).
  // A sensor whose read failed before is not read again: its error stays.
  std::vector<std::uint32_t> Reread(const std::vector<int>& indices);
  int Count() const;
  // Makes sensor `index` current; a usage error when there is no such sensor.
  void Select(int index);
  // Selects sensor `index` and makes sure its configuration is in the cache.
  void SelectRead(int index);
  // The same without throwing for a failed read: the read's DevError, or 0.
  std::uint32_t TryRead(int index);
  SensorInfo Info(int index);
  // "sensor 0 (/dev/hidraw3)".
  std::string Describe(int index);

 private:
  bool open_ = false;
  std::map<int, std::uint32_t> readErrors_;  // sensors whose read failed
};

// Says which sensors are present but not accessible and how to grant access.
std::string AccessDeniedMessage(const std::vector<std::string>& paths);

// "1.44" for 0x0144.
std::string FirmwareText(std::uint16_t firmware);

// --- Record operations on the current sensor ---------------------------------

// One sensor of the run, selected and with its configuration read.
struct Sensor {
  int index = 0;
  SensorInfo info;
  std::string name;  // "sensor 0 (/dev/hidraw3)"
  RecordSet config;
};

// Selects sensor `index` of the run, makes sure its configuration is
// read and takes its cached records; the sensor stays current, and a write to
// it carries its own reserved words.
Sensor ReadSensor(SensorRun& sensors, int index);

// The cached records of the current sensor (read at open).
RecordSet CachedConfiguration(const std::string& sensor);

// Stores `records` of `config` through the library's Set operations, in the
// order the list gives. When the library refuses one, throws a failure that
// names the field, its value and the allowed range; records stored before it
// stay in the cache only (nothing is sent until WriteConfiguration).
void StoreRecords(const RecordSet& config, const std::vector<RecordKind>& records,
                  const std::string& sensor);

// Sends the stored (dirty) records with one WriteDevCfg.
void WriteConfiguration(const std::string& sensor);

// Sends the stored (dirty) records of several sensors at once (one
// WriteDevCfg's time for all of them). Returns, per sensor in `indices`
// order, its DevError (0 when written).
std::vector<std::uint32_t> WriteConfigurations(const std::vector<int>& indices);

// Reads several sensors again at once (one ReadDevCfg's time for all of
// them); `what` names the read for the progress display. Returns, per sensor
// in `indices` order, its DevError (0 when read).
std::vector<std::uint32_t> ReadConfigurations(const std::vector<int>& indices,
                                              const std::string& what);

}  // namespace kv::cli
