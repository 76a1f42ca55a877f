// The HID report descriptor the virtual sensor presents: a boot keyboard's
// 8-byte input report (how the sensor types) and one 8-byte vendor feature
// report (how it is configured), neither with a report id.
#pragma once

#include <cstdint>
#include <vector>

namespace kv::sensor_model {

inline constexpr std::size_t kFeatureDataLength = 8;

std::vector<std::uint8_t> SensorReportDescriptor();

// A foreign device's: a security key's 64-byte input and output reports.
// It makes no input device, so no console keyboard handler holds it open and
// every open its driver reports is a host opening the hidraw node.
std::vector<std::uint8_t> ForeignReportDescriptor();

}  // namespace kv::sensor_model
