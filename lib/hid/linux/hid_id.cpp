#include "hid/linux/hid_id.h"

#include <kv7700/sensor_identity.h>
#include <libudev.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace kv::hid::linux_backend {

namespace {

// Reads one hexadecimal field up to `end` (':' or the terminator); false when
// it is empty, holds anything but hex digits, or exceeds `max`.
bool ParseHexField(const char*& cursor, char end, std::uint32_t max, std::uint32_t* out) {
  const char* start = cursor;
  std::uint64_t value = 0;
  while (*cursor != end) {
    if (!std::isxdigit(static_cast<unsigned char>(*cursor))) return false;
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(*cursor)));
    value = value * 16 + static_cast<std::uint64_t>(c <= '9' ? c - '0' : c - 'a' + 10);
    if (value > max) return false;
    ++cursor;
  }
  if (cursor == start) return false;
  if (end != '\0') ++cursor;
  *out = static_cast<std::uint32_t>(value);
  return true;
}

struct UdevDeleter {
  void operator()(udev* u) const { udev_unref(u); }
  void operator()(udev_device* d) const { udev_device_unref(d); }
};

}  // namespace

std::optional<HidId> ParseHidId(const char* text) {
  if (!text) return std::nullopt;
  std::uint32_t bus = 0, vendor = 0, product = 0;
  const char* cursor = text;
  if (!ParseHexField(cursor, ':', 0xFFFF, &bus) || !ParseHexField(cursor, ':', 0xFFFF, &vendor) ||
      !ParseHexField(cursor, '\0', 0xFFFF, &product)) {
    return std::nullopt;
  }
  return HidId{bus, static_cast<std::uint16_t>(vendor), static_cast<std::uint16_t>(product)};
}

namespace {

using UdevContext = std::unique_ptr<udev, UdevDeleter>;
using UdevNode = std::unique_ptr<udev_device, UdevDeleter>;

// The udev record of the hidraw node at `path`, or null. stat needs no
// permission on the node itself, so a sensor the user may not open is still
// found.
UdevNode HidrawNode(const UdevContext& context, const std::string& path, int* error) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    if (error) *error = errno;
    return nullptr;
  }
  if (error) *error = 0;
  if (!S_ISCHR(info.st_mode) || !context) return nullptr;
  UdevNode node(udev_device_new_from_devnum(context.get(), 'c', info.st_rdev));
  if (!node) return nullptr;
  const char* subsystem = udev_device_get_subsystem(node.get());
  if (!subsystem || std::strcmp(subsystem, "hidraw") != 0) return nullptr;
  return node;
}

}  // namespace

bool IsHidrawNode(const std::string& path, int* error) {
  UdevContext context(udev_new());
  return HidrawNode(context, path, error) != nullptr;
}

bool UdevPathNamesSensor(const std::string& path) {
  UdevContext context(udev_new());
  UdevNode node = HidrawNode(context, path, nullptr);
  if (!node) return false;
  // The parent belongs to the node and is released with it.
  udev_device* hid = udev_device_get_parent_with_subsystem_devtype(node.get(), "hid", nullptr);
  if (!hid) return false;
  const std::optional<HidId> id = ParseHidId(udev_device_get_property_value(hid, "HID_ID"));
  return id && id->bus == kBusUsb && IsSensorIdentity(id->vendor, id->product);
}

}  // namespace kv::hid::linux_backend
