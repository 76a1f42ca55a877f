// What both hosts' plot windows paint at 400 x 300 pixels (96 DPI) with
// MinDistS 20, MaxDistS 40 and one reading of 30 inches, in range: the area
// spans x 44..303 and y 30..275, 60 inches high, so an inch is 4.1 rows;
// 20 inches is row 193, 40 inches row 111, the reading's dot sits at
// (303, 152). Worked out by hand, not with the windows' own scale.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

namespace kv::ui::testing {

struct PlotPixels {
  int width = 400;
  int height = 300;
  int minDist = 20;
  int maxDist = 40;
  int target = 30;
  int areaLeft = 44;
  int areaRight = 303;
  int areaTop = 30;
  int areaBottom = 275;
  int minRow = 193;
  int maxRow = 111;
  int dotX = 303;
  int dotY = 152;
};
inline constexpr PlotPixels kPlotPixels;

struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
  bool operator==(const Rgb&) const = default;
};
inline constexpr Rgb kInRangeGreen{0x2e, 0x8b, 0x3a};

inline bool IsOrange(Rgb color) {
  return color.red > color.green + 40 && color.green > color.blue + 40;
}

// The dashed MinDistS and MaxDistS lines, in orange, across the area on
// their rows (a row either side for the pen's width) and nowhere else; with
// `linesShown` false, no orange anywhere in the area.
template <typename PixelAt>
void ExpectThresholdRows(PixelAt pixelAt, bool linesShown, const PlotPixels& p = kPlotPixels) {
  const auto orangeInRow = [&](int row) {
    int count = 0;
    for (int x = p.areaLeft; x <= p.areaRight; ++x) {
      count += IsOrange(pixelAt(x, row)) ? 1 : 0;
    }
    return count;
  };
  for (int row = p.areaTop + 1; row < p.areaBottom; ++row) {
    const bool onLine = std::abs(row - p.minRow) <= 1 || std::abs(row - p.maxRow) <= 1;
    if (!onLine || !linesShown) {
      EXPECT_EQ(orangeInRow(row), 0) << "row " << row;
    }
  }
  if (linesShown) {
    const int quarter = (p.areaRight - p.areaLeft) / 4;
    for (int row : {p.minRow, p.maxRow}) {
      EXPECT_GT(orangeInRow(row - 1) + orangeInRow(row) + orangeInRow(row + 1), quarter)
          << "row " << row;
    }
  }
}

}  // namespace kv::ui::testing
