// Which hidraw node the kernel gave a device: found in sysfs by the device's
// unique id (HID_UNIQ), which this program chooses.
#pragma once

#include <string>

namespace kv::sensor_model {

// "/dev/hidrawN" of the HID device whose HID_UNIQ is `uniq`, or "" when no
// node carries it (yet). `sysfsClass` is the folder of hidraw nodes.
std::string FindHidrawNode(const std::string& uniq,
                           const std::string& sysfsClass = "/sys/class/hidraw");

}  // namespace kv::sensor_model
