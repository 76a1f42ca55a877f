// The emulated sensor's firmware on its own, for a virtual sensor on another
// transport (the kernel's uhid, a USB gadget): it answers the 9-byte feature
// reports as the sensor does, at the sensor's pace, and can be kept in a
// --simulate sensor file between runs.
#pragma once

#include <kv7700/hid.h>

#include <cstdint>
#include <memory>
#include <string>

namespace kv::emu {

// What a transport needs of a sensor: the two halves of a feature exchange,
// as whole 9-byte reports with report id 0.
class FeatureReports {
 public:
  virtual ~FeatureReports() = default;
  // False when the sensor refuses the report (or has vanished).
  virtual bool OnSetFeature(const hid::Report& report) = 0;
  // Fills in the answer; false when the sensor fails the fetch.
  virtual bool OnGetFeature(hid::Report* report) = 0;
};

class SensorFirmware final : public FeatureReports {
 public:
  // A sensor running `firmwareVersion`; or, when `file` is given, the sensor
  // kept there (made factory-fresh when the file is missing). Null with
  // `error` saying what is wrong with the file.
  static std::unique_ptr<SensorFirmware> Open(const std::string& file,
                                              std::uint16_t firmwareVersion, std::string* error);
  ~SensorFirmware() override;
  SensorFirmware(const SensorFirmware&) = delete;
  SensorFirmware& operator=(const SensorFirmware&) = delete;

  // The USB vendor id and device release number the file keeps (for a sensor
  // without a file: the first vendor id, and the firmware version).
  std::uint16_t VendorId() const;
  std::uint16_t ReleaseNumber() const;

  bool OnSetFeature(const hid::Report& report) override;
  bool OnGetFeature(hid::Report* report) override;

  // Writes the sensor back to its file as plugged in with `vendorId`; true
  // when it is kept in none. The old file stays whole when this fails, with
  // `error` saying why.
  bool Save(std::uint16_t vendorId, std::string* error) const;

 private:
  struct State;
  explicit SensorFirmware(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace kv::emu
