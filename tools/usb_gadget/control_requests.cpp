#include "control_requests.h"

#include <algorithm>

namespace kv::usb {

namespace {

constexpr std::uint8_t kGetDescriptor = 0x06;
constexpr std::uint8_t kSetInterface = 0x0B;
constexpr std::uint8_t kHidGetIdle = 0x02;
constexpr std::uint8_t kHidGetProtocol = 0x03;
constexpr std::uint8_t kHidSetIdle = 0x0A;
constexpr std::uint8_t kHidSetProtocol = 0x0B;

sensor_model::ReportType TypeOf(std::uint16_t value) {
  switch (value >> 8) {
    case 0x03:
      return sensor_model::ReportType::Feature;
    case 0x02:
      return sensor_model::ReportType::Output;
    default:
      return sensor_model::ReportType::Input;
  }
}

ControlAnswer Data(std::vector<std::uint8_t> bytes, std::uint16_t length) {
  if (bytes.size() > length) bytes.resize(length);
  return {Reply::Data, std::move(bytes)};
}

}  // namespace

ControlRequests::ControlRequests(const UsbIdentity& identity, sensor_model::FeatureAnswers* sensor)
    : identity_(identity), sensor_(sensor) {}

ControlAnswer ControlRequests::Descriptor(const ControlRequest& request) const {
  const std::uint8_t type = static_cast<std::uint8_t>(request.value >> 8);
  const std::uint8_t index = static_cast<std::uint8_t>(request.value & 0xFF);
  std::vector<std::uint8_t> bytes;
  if (request.requestType == 0x80 && type == 0x03) {
    bytes = StringDescriptor(identity_, index);
  } else if (request.requestType == 0x81 && request.index == kInterfaceNumber) {
    if (type == 0x22) bytes = identity_.reportDescriptor;
    if (type == 0x21) bytes = HidDescriptor(identity_);
  }
  if (bytes.empty()) return {};
  return Data(std::move(bytes), request.length);
}

ControlAnswer ControlRequests::Answer(const ControlRequest& request) {
  if (request.request == kGetDescriptor && request.In()) return Descriptor(request);
  if (request.IsSetConfiguration()) return {Reply::Ack, {}};
  // One alternate setting only.
  if (request.requestType == 0x01 && request.request == kSetInterface) {
    return request.value == 0 ? ControlAnswer{Reply::Ack, {}} : ControlAnswer{};
  }
  if ((request.requestType & 0x7F) != 0x21 || request.index != kInterfaceNumber) return {};

  switch (request.request) {
    case kHidSetIdle:
    case kHidSetProtocol:
      return {Reply::Ack, {}};
    case kHidGetIdle:
      return Data({0}, request.length);
    case kHidGetProtocol:
      return Data({1}, request.length);  // report protocol
    default:
      break;
  }
  if (request.IsGetReport() && sensor_) {
    const sensor_model::GetAnswer answer =
        sensor_->Get(static_cast<std::uint8_t>(request.value & 0xFF), TypeOf(request.value));
    if (!answer.ok || answer.bytes.empty()) return {};
    // usbhid put the report id 0 in front itself; the wire carries the rest.
    return Data({answer.bytes.begin() + 1, answer.bytes.end()}, request.length);
  }
  if (request.IsSetReport() && sensor_ && request.length > 0) return {Reply::ReceiveData, {}};
  return {};
}

bool ControlRequests::Received(const ControlRequest& request, const std::uint8_t* data,
                               std::size_t size) {
  if (!request.IsSetReport() || !sensor_ || !data) return false;
  std::vector<std::uint8_t> report(1 + size);
  report[0] = static_cast<std::uint8_t>(request.value & 0xFF);
  std::copy(data, data + size, report.begin() + 1);
  return sensor_->Set(report[0], TypeOf(request.value), report.data(), report.size());
}

}  // namespace kv::usb
