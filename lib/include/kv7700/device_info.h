// What the device table knows beyond the flat operations of kv7700.h: for
// tools that list sensors, explain an access failure or report what a load
// stored or would store.
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
struct DirtyRecords {
  bool sonar = false;
  bool walkAway = false;
  bool walkUp = false;
  bool idle = false;
  bool operator==(const DirtyRecords&) const = default;
};
DirtyRecords GetDirtyRecords();

}  // namespace kv
