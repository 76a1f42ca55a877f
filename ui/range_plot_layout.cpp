#include "range_plot_layout.h"

#include <kv7700/records.h>

#include <algorithm>
#include <cmath>

namespace kv::ui {

namespace {

// Margins round the area, at 96 dots per inch.
constexpr int kLeft = 44;
constexpr int kRight = 96;  // room for the threshold labels
constexpr int kTop = 30;    // room for the status line
constexpr int kBottom = 24;
constexpr int kLabelHeight = 16;
constexpr int kGapToSheet = 8;
// The scale reaches the farthest maximum distance a sensor takes, and grows
// for a farther reading.
constexpr int kScaleInches = kMaxDistMax;
constexpr int kInchStep = 10;

int Round(double pixels) {
  return static_cast<int>(std::lround(pixels));
}

}  // namespace

PlotColor BlendPlotColor(PlotColor over, PlotColor under, int alpha) {
  const auto mix = [alpha](int top, int bottom) {
    return static_cast<std::uint8_t>(std::lround(bottom + (top - bottom) * alpha / 255.0));
  };
  return {mix(over.red, under.red), mix(over.green, under.green), mix(over.blue, under.blue)};
}

RangePlotLayout::RangePlotLayout(const RangePlot& plot, int width, int height, double scale)
    : plot_(plot), scale_(scale > 0 ? scale : 1.0) {
  const int left = Round(Scaled(kLeft));
  const int top = Round(Scaled(kTop));
  area_ = {left, top, std::max(1, width - left - Round(Scaled(kRight))),
           std::max(1, height - top - Round(Scaled(kBottom)))};
  const int margin = Round(Scaled(8));
  status_ = {margin, Round(Scaled(4)), width - 2 * margin, top - margin};
  int inches = kScaleInches;
  for (const RangeSample& sample : plot_.Samples()) {
    inches = std::max<int>(inches, sample.inches);
  }
  scaleInches_ = (inches + kInchStep - 1) / kInchStep * kInchStep;
}

double RangePlotLayout::Y(double inches) const {
  return area_.Bottom() - inches * area_.height / static_cast<double>(scaleInches_);
}

double RangePlotLayout::X(std::uint64_t atMs) const {
  const std::uint64_t end = plot_.EndMs();
  const double age = static_cast<double>(end - std::min(atMs, end));
  return area_.Right() - age * area_.width / static_cast<double>(RangePlot::kSpanMs);
}

std::vector<PlotLabel> RangePlotLayout::InchLabels() const {
  std::vector<PlotLabel> labels;
  const double half = Scaled(kLabelHeight) / 2;
  for (int inches = 0; inches <= scaleInches_; inches += kInchStep) {
    labels.push_back(
        {std::to_string(inches) + "\"", 0, Y(inches) - half, area_.left - Scaled(6), 2 * half});
  }
  return labels;
}

std::vector<PlotLabel> RangePlotLayout::TimeLabels() const {
  std::vector<PlotLabel> labels;
  const double halfWidth = Scaled(30);
  for (int seconds : {60, 45, 30, 15, 0}) {
    const double at = area_.Right() - seconds * area_.width / 60.0;
    labels.push_back({seconds ? "-" + std::to_string(seconds) + " s" : std::string("now"),
                      at - halfWidth, area_.Bottom() + Scaled(4), 2 * halfWidth,
                      Scaled(kBottom - 6)});
  }
  return labels;
}

std::vector<RangePlotLayout::Threshold> RangePlotLayout::Thresholds() const {
  const std::optional<std::uint16_t> min = plot_.MinInches();
  const std::optional<std::uint16_t> max = plot_.MaxInches();
  if (!min || !max) {
    return {};
  }
  std::vector<Threshold> lines;
  const double half = Scaled(kLabelHeight) / 2;
  for (const auto& [inches, name] : {std::pair{*min, "MinDistS"}, std::pair{*max, "MaxDistS"}}) {
    const double y = Y(inches);
    lines.push_back({y,
                     {std::string(name) + " " + std::to_string(inches) + "\"",
                      area_.Right() + Scaled(4), y - half, Scaled(kRight - 6), 2 * half}});
  }
  return lines;
}

PlotPoint PlacePlotBesideSheet(const PlotBox& sheet, int width, int height, const PlotBox& workArea,
                               double scale) {
  PlotPoint at{sheet.Right() + Round(kGapToSheet * (scale > 0 ? scale : 1.0)),
               sheet.Bottom() - height};
  at.x = std::min(at.x, workArea.Right() - width);
  at.y = std::max(at.y, workArea.top);
  return at;
}

}  // namespace kv::ui
