// The kernel's feature-report requests, answered by the emulated sensor's
// firmware model. The host's buffer for a report without report ids holds a
// leading 0 and the eight data bytes; requests and answers carry all nine.
#pragma once

#include <kv7700/sensor_firmware.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kv::sensor_model {

enum class ReportType { Feature, Output, Input };

struct GetAnswer {
  bool ok = false;  // false: the request fails (the host's call returns an error)
  std::vector<std::uint8_t> bytes;
};

class FeatureAnswers {
 public:
  // `answerLength` below 9 makes every answer that short, as a faulty
  // sensor's would be.
  explicit FeatureAnswers(emu::FeatureReports& sensor, std::size_t answerLength = 9);

  GetAnswer Get(std::uint8_t reportNumber, ReportType type);
  // False when the sensor refused the report or it is not one of its reports.
  bool Set(std::uint8_t reportNumber, ReportType type, const std::uint8_t* data, std::size_t size);

 private:
  emu::FeatureReports& sensor_;
  std::size_t answerLength_;
};

}  // namespace kv::sensor_model
