// The descriptors the USB sensor presents: a full-speed USB 2.0 device with
// one HID boot-keyboard interface (the sensor's report descriptor, with its
// feature report) and one interrupt-IN endpoint, as gadgetfs takes them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kv::usb {

struct UsbIdentity {
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  std::uint16_t release = 0;  // bcdDevice
  std::string manufacturer;
  std::string productName;
  std::string serial;  // the HID device's HID_UNIQ: how its hidraw node is found
  bool bootKeyboard = true;
  std::uint16_t interruptPacketSize = 8;
  std::vector<std::uint8_t> reportDescriptor;
};

// The interrupt-IN endpoint gadgetfs names "ep5in-int" on dummy_hcd.
inline constexpr std::uint8_t kInterruptEndpoint = 0x85;
inline constexpr std::uint8_t kInterfaceNumber = 0;
inline constexpr std::uint8_t kStringManufacturer = 1;
inline constexpr std::uint8_t kStringProduct = 2;
inline constexpr std::uint8_t kStringSerial = 3;

std::vector<std::uint8_t> DeviceDescriptor(const UsbIdentity& identity);
// Configuration, interface, HID and endpoint descriptors, at full or high
// speed (the interrupt interval is counted in frames or microframes).
std::vector<std::uint8_t> ConfigurationDescriptor(const UsbIdentity& identity, bool highSpeed);
// The HID class descriptor alone, as the configuration carries it.
std::vector<std::uint8_t> HidDescriptor(const UsbIdentity& identity);
// What gadgetfs reads from the first write to its ep0 file: tag 0, the
// full-speed and high-speed configurations, the device descriptor.
std::vector<std::uint8_t> GadgetfsDeviceSetup(const UsbIdentity& identity);
// The endpoint file's setup: tag 1, the full- and high-speed endpoint descriptors.
std::vector<std::uint8_t> GadgetfsEndpointSetup(const UsbIdentity& identity);
// String descriptor `index` (0: the language list, US English); empty when
// the device has no such string.
std::vector<std::uint8_t> StringDescriptor(const UsbIdentity& identity, std::uint8_t index);

}  // namespace kv::usb
