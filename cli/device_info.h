// What the flat library operations do not hand out: the interface path and
// USB identity of an open sensor, and which records a load stored.
#pragma once

#include <cstdint>
#include <string>

namespace kv::cli {

std::string DevicePathOf(int index);
// Fills vendor and product id from the open handle; false when unknown.
bool UsbIdentityOf(int index, std::uint16_t* vendorId, std::uint16_t* productId);

// Which records of the current sensor are stored in the cache and not yet
// written (the library's dirty flags).
struct DirtyRecords {
  bool sonar = false;
  bool walkAway = false;
  bool walkUp = false;
  bool idle = false;
};
DirtyRecords DirtyRecordsOfCurrent();

}  // namespace kv::cli
