// What the USB sensor answers on its control pipe. gadgetfs answers the
// device and configuration descriptors itself and hands every other request
// here: strings, the HID report descriptor, SET_IDLE, and the feature
// report's GET_REPORT and SET_REPORT. usbhid drops report id 0 on the wire,
// so those carry the eight data bytes alone; the firmware model takes and
// gives the nine-byte report with the 0 in front.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "feature_answers.h"
#include "usb_descriptors.h"

namespace kv::usb {

struct ControlRequest {
  std::uint8_t requestType = 0;  // bmRequestType
  std::uint8_t request = 0;      // bRequest
  std::uint16_t value = 0;
  std::uint16_t index = 0;
  std::uint16_t length = 0;

  bool In() const { return (requestType & 0x80) != 0; }
  bool IsSetConfiguration() const { return requestType == 0x00 && request == 0x09; }
  bool IsGetReport() const { return requestType == 0xA1 && request == 0x01; }
  bool IsSetReport() const { return requestType == 0x21 && request == 0x09; }
};

enum class Reply {
  Data,         // send `data` in the IN data stage
  Ack,          // no data stage: acknowledge
  ReceiveData,  // take the OUT data stage, then pass it to Received()
  Stall,
};

struct ControlAnswer {
  Reply reply = Reply::Stall;
  std::vector<std::uint8_t> data;  // never longer than the request's wLength
};

class ControlRequests {
 public:
  // `sensor` null: a foreign device, which answers no report request.
  ControlRequests(const UsbIdentity& identity, sensor_model::FeatureAnswers* sensor);

  ControlAnswer Answer(const ControlRequest& request);
  // The data of a SET_REPORT; false when the sensor refused it.
  bool Received(const ControlRequest& request, const std::uint8_t* data, std::size_t size);

 private:
  ControlAnswer Descriptor(const ControlRequest& request) const;
  const UsbIdentity& identity_;
  sensor_model::FeatureAnswers* sensor_;
};

}  // namespace kv::usb
