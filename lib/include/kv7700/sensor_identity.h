// The USB identity by which a sensor is recognised everywhere: either of two
// vendor ids with the one product id.
#pragma once

#include <array>
#include <cstdint>

namespace kv::hid {

inline constexpr std::array<std::uint16_t, 2> kSensorVendorIds = {0x18C8, 0x04D8};
inline constexpr std::uint16_t kSensorProductId = 0x2BFA;

constexpr bool IsSensorIdentity(std::uint16_t vendor, std::uint16_t product) {
  if (product != kSensorProductId) return false;
  for (std::uint16_t id : kSensorVendorIds) {
    if (vendor == id) return true;
  }
  return false;
}

}  // namespace kv::hid
