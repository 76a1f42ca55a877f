// What discovery knows beyond the flat operations of kv7700.h.
#pragma once

#include <string>
#include <vector>

namespace kv {

// Paths of sensors that are present but could not be opened because this
// user lacks permission on them (on Linux: no read and write access to the
// hidraw node, which the udev rule grants to the user at the seat). Set by
// OpenAllDevices and kept current by DeviceArrived and DeviceRemoved; a tool
// that finds no sensor checks it before saying that none is attached.
std::vector<std::string> GetAccessDeniedPaths();

}  // namespace kv
