// The enumeration facility over hidapi: every HID interface with its hidraw
// node, once each.
#pragma once

#include <hidapi/hidapi.h>
#include <kv7700/hid.h>

#include <vector>

namespace kv::hid::linux_backend {

// hidapi lists a node once per top-level usage; the library wants each node
// once, in the order first seen. Entries without a node are dropped.
std::vector<InterfaceEntry> EntriesFromEnumeration(const hid_device_info* first);

class HidapiDeviceList final : public DeviceList {
 public:
  bool List(std::vector<InterfaceEntry>* out) override;
};

}  // namespace kv::hid::linux_backend
