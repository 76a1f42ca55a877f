// The KV7700 sensor library: flat operations on the current sensor.
//
// Every operation that concerns a sensor acts on the current one, chosen with
// SelectDevice; none takes a device argument. Results are 1 for success and 0
// for failure, with the reason left in GetDevError() (per sensor) or in the
// library-wide LibError (discovery and key-send control). Nothing throws.
// The library keeps one state per process and must not be entered from two
// threads at once.
#pragma once

#include <kv7700/records.h>
#include <kv7700/sensor_facts.h>
#include <kv7700/status_codes.h>

#include <cstdint>

namespace kv {

struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::uint8_t data4[8] = {};
  bool operator==(const Guid&) const = default;
};

// The keyboard device-interface class {884B96C3-56EF-11D1-BC8C-00A0C91405DD}.
inline constexpr Guid kKeyboardInterfaceClass = {
    0x884B96C3, 0x56EF, 0x11D1, {0xBC, 0x8C, 0x00, 0xA0, 0xC9, 0x14, 0x05, 0xDD}};

// A sensor's place in the device table, 0 to 15; 0 is current after every
// open, arrival and removal.
using SensorIndex = std::int16_t;

inline constexpr std::uint16_t kLibVersionMajor = 5;
inline constexpr std::uint16_t kLibVersionMinor = 5;
inline constexpr std::uint16_t kLibVersionBuild = 0;

// --- Device table --------------------------------------------------------
// Closes every open sensor, unloads the HID layer, resets the state. Always 1.
int CloseAllDevices();
// Makes sensor `index` current; 0 (current unchanged) when it is not open.
int SelectDevice(SensorIndex index);
SensorIndex GetDeviceCount();
// FwVersion of the current sensor (0x0143 is version 1.43).
std::uint16_t GetFirmwareVersion();
// Writes the keyboard interface class. Always 1.
int GetHidGuid(Guid* guid);
std::uint32_t GetDevError();
// The library-wide status word of discovery and key-send control.
std::uint32_t GetLibError();
int ApiAvailable();
// Writes 5, 5, 0 through each pointer that is not null. Always 1.
int GetLibVersion(std::uint16_t* major, std::uint16_t* minor, std::uint16_t* build);

// --- Discovery -----------------------------------------------------------
// Enumerates, opens and reads every sensor; stores sensor 0's firmware
// version through `firmware` (may be null). 0 with LibError 0x10000 (ORed
// with the last discovery code) when none was found or a read failed.
int OpenAllDevices(std::uint32_t* firmware);
// Opens and adds the sensor at `path` (its configuration is not read).
int DeviceArrived(const char* path);
// Closes and removes the open sensor with `path`.
int DeviceRemoved(const char* path);

// --- Records (cache of the current sensor) -------------------------------
int GetSonarParms(tsSonarParms* out);
int SetSonarParms(const tsSonarParms* in);
int GetWalkAwayParms(tsWalkAwayParms* out);
int SetWalkAwayParms(const tsWalkAwayParms* in);
int GetWalkUpParms(tsWalkUpParms* out);
int SetWalkUpParms(const tsWalkUpParms* in);
int GetIdleParms(tsIdleParms* out);
int SetIdleParms(const tsIdleParms* in);

// --- Sensor exchanges ----------------------------------------------------
// Reads all four records and the firmware version (seven exchanges, 1.75 s).
int ReadDevCfg();
// Takes the current sensor's configuration as the last read left it, as
// reading it again a moment later would (the reserved words the next write
// sends back come from this sensor): 1 when its records were read and none
// has been stored since; 0, with nothing changed, when it must be read.
int ReuseLastRead();
// Sends every dirty record, then the commit report.
int WriteDevCfg();
// WriteDevCfg for several open sensors at once (each listed once), in the
// time of one: each ends with the DevError and dirty flags its own
// WriteDevCfg would have left. A sensor whose configuration was read is sent
// back the reserved words of its own last read, not those of the sensor
// read last. 1 when every one was written; 0 when any failed (see each
// one's DevError) or the list names a sensor twice or one that is not open,
// in which case nothing is sent. The current sensor stays.
int WriteDevCfgOfSensors(const SensorIndex* indices, SensorIndex count);
// ReadDevCfg for several open sensors at once (each listed once), in the
// time of one: each ends with the records, firmware version and DevError its
// own ReadDevCfg would have left, and one that fails does not stop the
// others. The reserved words the next write sends are those reading them one
// after another in list order would leave. 1 when every one was read; 0 when
// any failed (see each one's DevError) or the list names a sensor twice or
// one that is not open, in which case nothing is sent. The current sensor
// stays.
int ReadDevCfgOfSensors(const SensorIndex* indices, SensorIndex count);
int FactoryResetDev();
int RestoreUserDefaultsDev();
int SaveUserDefaultsDev();
int GetRangeInfo(RangeInfo* out);
// Non-zero halts the sensor's key sends, zero resumes them.
int SendControl(std::uint32_t halt);

// --- Template file -------------------------------------------------------
int WriteDevCfgToFile(const char* path);
int ReadDevCfgFmFile(const char* path);

}  // namespace kv
