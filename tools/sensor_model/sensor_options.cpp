#include "sensor_options.h"

#include <cstdio>

namespace kv::sensor_model {

namespace {

std::uint16_t ParseHex16(const std::string& text) {
  std::size_t used = 0;
  unsigned long value = 0;
  try {
    value = std::stoul(text, &used, 16);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || value > 0xFFFF)
    throw CLI::ValidationError(text + ": not 4 hex digits");
  return static_cast<std::uint16_t>(value);
}

}  // namespace

SensorOptionParser::SensorOptionParser(CLI::App& app, SensorOptions& options) : options_(options) {
  app.add_option("--file", options.file,
                 "Keep the sensor in FILE (a --simulate sensor file; made when missing)")
      ->type_name("FILE");
  app.add_option("--vendor", vendor_,
                 "USB vendor id in hex (default 18c8; other ids: a foreign device)")
      ->type_name("HEX");
  app.add_option("--product", product_, "USB product id in hex (default 2bfa)")->type_name("HEX");
  app.add_option("--firmware", firmware_,
                 "Firmware version of a sensor without --file (default 0410)")
      ->type_name("HEX");
  app.add_option("--answer-bytes", options.answerBytes,
                 "Answer every feature request with only N bytes, report id included (a faulty "
                 "sensor)")
      ->type_name("N")
      ->check(CLI::Range(std::size_t{1}, hid::kReportLength));
  app.add_flag("--trace", options.trace, "Print every feature report on standard output");
}

void SensorOptionParser::Finish() {
  if (!vendor_.empty()) {
    options_.vendor = ParseHex16(vendor_);
    options_.vendorGiven = true;
  }
  if (!product_.empty()) options_.product = ParseHex16(product_);
  if (!firmware_.empty()) options_.firmware = ParseHex16(firmware_);
}

void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace kv::sensor_model
