// One emulated sensor kept in a file between runs (--simulate=FILE): its three
// memories, firmware version and USB identity, as JSON. For example:
//   {
//     "format": 1,
//     "vendorId": "0x18C8", "releaseNumber": "0x0410", "firmwareVersion": "0x0410",
//     "working": {"0x80": "00 32 28 31 7d 0a 02 00", ..., "0x85": "..."},
//     "userDefaults": {...}, "factoryDefaults": {...}
//   }
// Each memory holds the eight data bytes of blocks 0x80 to 0x85, in hexadecimal.
// Identity values may also be plain JSON numbers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "hid/emulated/emulated_bus.h"
#include "hid/emulated/emulated_sensor.h"

namespace kv::emu {

// Everything the file keeps about one emulated sensor.
struct SensorImage {
  EmulatedSensor::Memories memories{FactoryMemory(), FactoryMemory(), FactoryMemory()};
  // A new file's sensor runs firmware that offers every command.
  std::uint16_t firmwareVersion = 0x0410;
  std::uint16_t vendorId = kSensorVendor;
  std::uint16_t releaseNumber = 0x0410;  // the USB device release number
};

// Reads the sensor kept in `path` into `image`. A missing file is created
// holding a factory-fresh sensor (SensorImage{}), which `image` then is.
// False, with `error` saying what is wrong and where, when the file cannot be
// read or created or is not a valid sensor file; the file is left untouched.
bool LoadSensorFile(const std::string& path, SensorImage* image, std::string* error);

// Writes `image` to `path`; the old file is replaced only once the new one is
// complete, so a failed save never leaves half a file. False with `error` set.
bool SaveSensorFile(const std::string& path, const SensorImage& image, std::string* error);

// The file's text for an image, and the image for a file's text (false with
// `error` set when the text is not a valid sensor file).
std::string SensorImageToJson(const SensorImage& image);
bool SensorImageFromJson(const std::string& text, SensorImage* image, std::string* error);

// The image of a running sensor (memories and firmware taken under its lock)
// plugged in with the given identity.
SensorImage ImageOf(const EmulatedSensor& sensor, std::uint16_t vendorId,
                    std::uint16_t releaseNumber);
// A sensor holding the image's memories and firmware version; plug it in with
// the image's vendorId and releaseNumber.
std::shared_ptr<EmulatedSensor> MakeSensor(const SensorImage& image);

}  // namespace kv::emu
