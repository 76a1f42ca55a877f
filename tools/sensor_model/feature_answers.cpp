#include "feature_answers.h"

#include <algorithm>

namespace kv::sensor_model {

namespace {

// The sensor has one feature report, without a report id.
bool IsSensorReport(std::uint8_t reportNumber, ReportType type) {
  return reportNumber == 0 && type == ReportType::Feature;
}

}  // namespace

FeatureAnswers::FeatureAnswers(emu::FeatureReports& sensor, std::size_t answerLength)
    : sensor_(sensor), answerLength_(std::min(answerLength, hid::kReportLength)) {}

GetAnswer FeatureAnswers::Get(std::uint8_t reportNumber, ReportType type) {
  if (!IsSensorReport(reportNumber, type)) return {};
  hid::Report report{};
  if (!sensor_.OnGetFeature(&report)) return {};
  return {true, std::vector<std::uint8_t>(report.begin(), report.begin() + answerLength_)};
}

bool FeatureAnswers::Set(std::uint8_t reportNumber, ReportType type, const std::uint8_t* data,
                         std::size_t size) {
  if (!IsSensorReport(reportNumber, type) || !data || size != hid::kReportLength || data[0] != 0) {
    return false;
  }
  hid::Report report{};
  std::copy(data, data + size, report.begin());
  return sensor_.OnSetFeature(report);
}

}  // namespace kv::sensor_model
