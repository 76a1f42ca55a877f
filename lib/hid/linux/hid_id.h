// A hidraw node's identity from udev: its parent in subsystem "hid" carries
// HID_ID = BUS:VENDOR:PRODUCT in hexadecimal, e.g. "0003:000018C8:00002BFA".
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kv::hid::linux_backend {

inline constexpr std::uint32_t kBusUsb = 0x0003;

struct HidId {
  std::uint32_t bus = 0;
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  bool operator==(const HidId&) const = default;
};

// The three fields of a HID_ID value; nothing when the text is malformed.
std::optional<HidId> ParseHidId(const char* text);

// True when `path` is a hidraw node. Otherwise false, with stat's error
// number in *error, or 0 when the path exists but is something else.
bool IsHidrawNode(const std::string& path, int* error);

// True when `path` is the hidraw node of a USB sensor, decided from udev's
// record of the device without opening it.
bool UdevPathNamesSensor(const std::string& path);

}  // namespace kv::hid::linux_backend
