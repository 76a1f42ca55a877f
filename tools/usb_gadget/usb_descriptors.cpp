#include "usb_descriptors.h"

#include <algorithm>

namespace kv::usb {

namespace {

constexpr std::uint8_t kDescDevice = 0x01;
constexpr std::uint8_t kDescConfiguration = 0x02;
constexpr std::uint8_t kDescString = 0x03;
constexpr std::uint8_t kDescInterface = 0x04;
constexpr std::uint8_t kDescEndpoint = 0x05;
constexpr std::uint8_t kDescHid = 0x21;
constexpr std::uint8_t kDescReport = 0x22;
constexpr std::uint8_t kClassHid = 0x03;

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Append(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& more) {
  out.insert(out.end(), more.begin(), more.end());
}

std::vector<std::uint8_t> EndpointDescriptor(const UsbIdentity& identity, bool highSpeed) {
  std::vector<std::uint8_t> out = {7, kDescEndpoint, kInterruptEndpoint, 0x03};
  Put16(out, identity.interruptPacketSize);
  // 10 ms at full speed; 2^(7-1) microframes, 8 ms, at high speed.
  out.push_back(highSpeed ? 7 : 10);
  return out;
}

}  // namespace

std::vector<std::uint8_t> DeviceDescriptor(const UsbIdentity& identity) {
  std::vector<std::uint8_t> out = {18, kDescDevice};
  Put16(out, 0x0200);
  // Class, subclass and protocol come from the interface; ep0 packets of 64.
  out.insert(out.end(), {0, 0, 0, 64});
  Put16(out, identity.vendor);
  Put16(out, identity.product);
  Put16(out, identity.release);
  out.insert(out.end(), {kStringManufacturer, kStringProduct, kStringSerial, 1});
  return out;
}

std::vector<std::uint8_t> HidDescriptor(const UsbIdentity& identity) {
  std::vector<std::uint8_t> out = {9, kDescHid};
  Put16(out, 0x0111);
  out.insert(out.end(), {0, 1, kDescReport});
  Put16(out, static_cast<std::uint16_t>(identity.reportDescriptor.size()));
  return out;
}

std::vector<std::uint8_t> ConfigurationDescriptor(const UsbIdentity& identity, bool highSpeed) {
  const std::vector<std::uint8_t> hid = HidDescriptor(identity);
  const std::vector<std::uint8_t> endpoint = EndpointDescriptor(identity, highSpeed);
  const auto total = static_cast<std::uint16_t>(9 + 9 + hid.size() + endpoint.size());
  std::vector<std::uint8_t> out = {9, kDescConfiguration};
  Put16(out, total);
  // One interface, configuration 1, bus powered (gadgetfs refuses remote
  // wake-up), 100 mA.
  out.insert(out.end(), {1, 1, 0, 0x80, 50});
  const std::uint8_t subclass = identity.bootKeyboard ? 1 : 0;
  const std::uint8_t protocol = identity.bootKeyboard ? 1 : 0;
  out.insert(out.end(),
             {9, kDescInterface, kInterfaceNumber, 0, 1, kClassHid, subclass, protocol, 0});
  Append(out, hid);
  Append(out, endpoint);
  return out;
}

std::vector<std::uint8_t> GadgetfsDeviceSetup(const UsbIdentity& identity) {
  std::vector<std::uint8_t> out = {0, 0, 0, 0};
  Append(out, ConfigurationDescriptor(identity, false));
  // dummy_hcd is a high-speed controller: gadgetfs needs both.
  Append(out, ConfigurationDescriptor(identity, true));
  Append(out, DeviceDescriptor(identity));
  return out;
}

std::vector<std::uint8_t> GadgetfsEndpointSetup(const UsbIdentity& identity) {
  std::vector<std::uint8_t> out = {1, 0, 0, 0};
  Append(out, EndpointDescriptor(identity, false));
  Append(out, EndpointDescriptor(identity, true));
  return out;
}

std::vector<std::uint8_t> StringDescriptor(const UsbIdentity& identity, std::uint8_t index) {
  if (index == 0) return {4, kDescString, 0x09, 0x04};
  const std::string* text = nullptr;
  switch (index) {
    case kStringManufacturer:
      text = &identity.manufacturer;
      break;
    case kStringProduct:
      text = &identity.productName;
      break;
    case kStringSerial:
      text = &identity.serial;
      break;
    default:
      return {};
  }
  // UTF-16LE of ASCII text, within a descriptor's 255 bytes.
  const std::size_t chars = std::min<std::size_t>(text->size(), 126);
  std::vector<std::uint8_t> out = {static_cast<std::uint8_t>(2 + 2 * chars), kDescString};
  for (std::size_t i = 0; i < chars; ++i) {
    const auto c = static_cast<unsigned char>((*text)[i]);
    out.push_back(c < 0x80 ? c : '?');
    out.push_back(0);
  }
  return out;
}

}  // namespace kv::usb
