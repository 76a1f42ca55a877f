// What both virtual sensors (on /dev/uhid and on a USB bus) take on their
// command lines, and how they speak on standard output.
#pragma once

#include <kv7700/hid.h>
#include <kv7700/sensor_identity.h>

#include <CLI/CLI.hpp>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kv::sensor_model {

struct SensorOptions {
  std::string file;
  std::uint16_t vendor = hid::kSensorVendorIds[0];
  std::uint16_t product = hid::kSensorProductId;
  bool vendorGiven = false;
  std::uint16_t firmware = 0x0410;
  std::size_t answerBytes = hid::kReportLength;
  bool trace = false;
};

// Adds --file, --vendor, --product, --firmware, --answer-bytes and --trace to
// `app`; after app.parse(), Finish() turns the hex ids into numbers (and
// throws CLI::ValidationError for one that is not).
class SensorOptionParser {
 public:
  SensorOptionParser(CLI::App& app, SensorOptions& options);
  void Finish();

 private:
  SensorOptions& options_;
  std::string vendor_;
  std::string product_;
  std::string firmware_;
};

// One line on standard output, flushed at once: the test scripts wait for
// "ready ...".
void Say(const std::string& line);

}  // namespace kv::sensor_model
