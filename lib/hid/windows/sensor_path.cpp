#include "hid/windows/sensor_path.h"

#include <kv7700/sensor_identity.h>

#include <cstdio>

namespace kv::hid::windows_backend {

namespace {

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(text[i]) != Lower(prefix[i])) return false;
  }
  return true;
}

}  // namespace

std::string SensorPathPrefix(unsigned vendorId, unsigned productId) {
  char prefix[40];
  std::snprintf(prefix, sizeof prefix, "\\\\?\\HID#Vid_%04x&Pid_%04x", vendorId & 0xFFFFu,
                productId & 0xFFFFu);
  return prefix;
}

bool PathNamesSensor(const std::string& path) {
  for (std::uint16_t vendor : kSensorVendorIds) {
    if (StartsWithIgnoringCase(path, SensorPathPrefix(vendor, kSensorProductId))) return true;
  }
  return false;
}

bool PathsEqual(const std::string& a, const std::string& b) {
  return a.size() == b.size() && StartsWithIgnoringCase(a, b);
}

}  // namespace kv::hid::windows_backend
