// Where the live distance plot's parts go in a window of a given size: the
// plot area, the distance scale (which grows for a farther reading), the
// readings' points, the detection distances' lines and the labels, the
// colours, and the window's place beside the sheet. Both hosts paint from
// it, so both draw the same picture; they add only their pens and text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "range_plot.h"

namespace kv::ui {

struct PlotColor {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const PlotColor&) const = default;
};

inline constexpr PlotColor kPlotInRangeColor{0x2e, 0x8b, 0x3a};
inline constexpr PlotColor kPlotOutOfRangeColor{0x80, 0x80, 0x80};
inline constexpr PlotColor kPlotThresholdColor{0xc0, 0x6a, 0x00};
// How strongly the in-range band tints the background, of 255.
inline constexpr int kPlotBandAlpha = 36;

// `over` laid on `under` with `alpha` of 255: for a host with no alpha.
PlotColor BlendPlotColor(PlotColor over, PlotColor under, int alpha);

// Whole pixels; right and bottom are the last pixels inside.
struct PlotBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int Right() const { return left + width - 1; }
  int Bottom() const { return top + height - 1; }
};

// A text and the box it is drawn in.
struct PlotLabel {
  std::string text;
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
};

class RangePlotLayout {
 public:
  // The window's client size, in pixels at 96 dots per inch.
  static constexpr int kWidth = 400;
  static constexpr int kHeight = 240;
  static constexpr int kMinWidth = 260;
  static constexpr int kMinHeight = 160;
  static constexpr double kLineWidth = 1.5;
  static constexpr double kDotRadius = 3;

  // `scale`: the screen's pixels per pixel at 96 dots per inch.
  RangePlotLayout(const RangePlot& plot, int width, int height, double scale = 1.0);

  const PlotBox& Area() const { return area_; }
  // The status line above the area.
  const PlotBox& StatusBox() const { return status_; }
  // The inches at the area's top.
  int ScaleInches() const { return scaleInches_; }
  double Y(double inches) const;
  double X(std::uint64_t atMs) const;
  double Scaled(double pixels) const { return pixels * scale_; }

  // Left of the area, right-aligned: "0\"", "10\"" and up.
  std::vector<PlotLabel> InchLabels() const;
  // Below the area, centred: "-60 s" to "now".
  std::vector<PlotLabel> TimeLabels() const;
  struct Threshold {
    double y = 0;
    PlotLabel label;  // right of the area, left-aligned: "MinDistS 20\""
  };
  // MinDistS then MaxDistS, the in-range band between them; none without
  // a configuration.
  std::vector<Threshold> Thresholds() const;

 private:
  const RangePlot& plot_;
  double scale_;
  PlotBox area_;
  PlotBox status_;
  int scaleInches_;
};

struct PlotPoint {
  int x = 0;
  int y = 0;
};

// Where the plot window (its frame `width` by `height`) first goes: right of
// the sheet's frame with its bottom level with the sheet's (the simulation
// panel takes the top), kept on the work area. `scale` as above.
PlotPoint PlacePlotBesideSheet(const PlotBox& sheet, int width, int height, const PlotBox& workArea,
                               double scale = 1.0);

}  // namespace kv::ui
