#include "report_descriptor.h"

namespace kv::sensor_model {

std::vector<std::uint8_t> SensorReportDescriptor() {
  return {
      0x05, 0x01,  // Usage Page (Generic Desktop)
      0x09, 0x06,  // Usage (Keyboard)
      0xA1, 0x01,  // Collection (Application)
      0x05, 0x07,  //   Usage Page (Keyboard): the modifier byte
      0x19, 0xE0,  //   Usage Minimum (Left Control)
      0x29, 0xE7,  //   Usage Maximum (Right GUI)
      0x15, 0x00,  //   Logical Minimum (0)
      0x25, 0x01,  //   Logical Maximum (1)
      0x75, 0x01,  //   Report Size (1)
      0x95, 0x08,  //   Report Count (8)
      0x81, 0x02,  //   Input (Data, Variable, Absolute)
      0x75, 0x08,  //   Report Size (8): the reserved byte
      0x95, 0x01,  //   Report Count (1)
      0x81, 0x01,  //   Input (Constant)
      0x19, 0x00,  //   Usage Minimum (0): six key codes
      0x29, 0x65,  //   Usage Maximum (101)
      0x15, 0x00,  //   Logical Minimum (0)
      0x25, 0x65,  //   Logical Maximum (101)
      0x75, 0x08,  //   Report Size (8)
      0x95, 0x06,  //   Report Count (6)
      0x81, 0x00,  //   Input (Data, Array)
      0x06, 0x00,
      0xFF,        //   Usage Page (Vendor Defined 0xFF00): configuration
      0x09, 0x01,  //   Usage (1)
      0x15, 0x00,  //   Logical Minimum (0)
      0x26, 0xFF,
      0x00,                                                 //   Logical Maximum (255)
      0x75, 0x08,                                           //   Report Size (8)
      0x95, static_cast<std::uint8_t>(kFeatureDataLength),  // Report Count (8)
      0xB1, 0x02,                                           //   Feature (Data, Variable, Absolute)
      0xC0,                                                 // End Collection
  };
}

std::vector<std::uint8_t> ForeignReportDescriptor() {
  return {
      0x06, 0xD0, 0xF1,  // Usage Page (FIDO Alliance)
      0x09, 0x01,        // Usage (U2F Authenticator Device)
      0xA1, 0x01,        // Collection (Application)
      0x09, 0x20,        //   Usage (Input Report Data)
      0x15, 0x00,        //   Logical Minimum (0)
      0x26, 0xFF, 0x00,  //   Logical Maximum (255)
      0x75, 0x08,        //   Report Size (8)
      0x95, 0x40,        //   Report Count (64)
      0x81, 0x02,        //   Input (Data, Variable, Absolute)
      0x09, 0x21,        //   Usage (Output Report Data)
      0x15, 0x00,        //   Logical Minimum (0)
      0x26, 0xFF, 0x00,  //   Logical Maximum (255)
      0x75, 0x08,        //   Report Size (8)
      0x95, 0x40,        //   Report Count (64)
      0x91, 0x02,        //   Output (Data, Variable, Absolute)
      0xC0,              // End Collection
  };
}

}  // namespace kv::sensor_model
