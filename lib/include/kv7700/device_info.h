// What the device table knows beyond the flat operations of kv7700.h: for
// tools that list sensors, tell what each one holds and explain an access
// failure.
#pragma once

#include <kv7700/kv7700.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

// Paths of sensors that are present but could not be opened because this
// user lacks permission on them (on Linux: no read and write access to the
// hidraw node, which the udev rule grants to the user at the seat). Set by
// OpenAllDevices and kept current by DeviceArrived and DeviceRemoved; a tool
// that finds no sensor checks it before saying that none is attached.
std::vector<std::string> GetAccessDeniedPaths();

// The interface path of open sensor `index`; empty when no sensor has it.
std::string GetDevicePath(SensorIndex index);

// The USB vendor and product id of open sensor `index`. 1 on success; 0 with
// both left alone when there is no such sensor or its identity cannot be read.
int GetDeviceIdentity(SensorIndex index, std::uint16_t* vendorId, std::uint16_t* productId);

// Who kept open sensor `index` when its last operation gave up waiting for
// it (status code kErrSensorInUse): "kv7700-config, process 1234", or "" when
// that cannot be known or no wait gave up.
std::string GetSensorHolder(SensorIndex index);
// The same for the current sensor.
std::string GetSensorHolder();

// Which records of the current sensor are stored in the cache and not yet
// written (WriteDevCfg sends exactly these).
RecordFlags GetDirtyRecords();

// What the device table knows of one open sensor.
struct SensorInfo {
  SensorIndex index = 0;
  std::string path;  // the interface path it was opened by
  // Its USB identity; both 0 when it cannot be read.
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  // The firmware version: the device release number until its configuration
  // is read, then the version the read gave.
  std::uint16_t firmware = 0;
  // A configuration read filled its cached records (its Get operations
  // succeed).
  bool recordsRead = false;
  RecordFlags dirty;   // records stored and not yet written
  std::string holder;  // as GetSensorHolder
};

// 1 with `info` filled for open sensor `index`; 0, with `info` left alone,
// when there is no such sensor.
int GetSensorInfo(SensorIndex index, SensorInfo* info);

}  // namespace kv
