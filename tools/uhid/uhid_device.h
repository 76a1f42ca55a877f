// A HID device made by this process through the kernel's user-space HID
// driver (/dev/uhid): the kernel gives it a hidraw node and hands every
// request of a host to this process, which must answer each one.
#pragma once

#include <linux/uhid.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kv::uhid {

struct DeviceIdentity {
  std::string name;
  std::string uniq;          // how the device's hidraw node is found again
  std::uint16_t bus = 0x03;  // USB
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  std::uint16_t version = 0;
};

class UhidDevice {
 public:
  // Opens /dev/uhid and creates the device; null with the error number in
  // *error when either fails.
  static std::unique_ptr<UhidDevice> Create(const DeviceIdentity& identity,
                                            const std::vector<std::uint8_t>& descriptor,
                                            int* error);
  // Closing /dev/uhid removes the device, as unplugging would.
  ~UhidDevice();
  UhidDevice(const UhidDevice&) = delete;
  UhidDevice& operator=(const UhidDevice&) = delete;

  // Blocks for the kernel's next event; nothing with the error number in
  // *error when the read failed (EINTR when a signal came first).
  std::optional<uhid_event> Next(int* error);
  bool ReplyGet(std::uint32_t id, bool ok, const std::vector<std::uint8_t>& bytes);
  bool ReplySet(std::uint32_t id, bool ok);

 private:
  explicit UhidDevice(int fd) : fd_(fd) {}
  bool Write(const uhid_event& event);
  int fd_;
};

}  // namespace kv::uhid
