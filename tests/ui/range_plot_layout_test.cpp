// Where the distance plot's parts go, at the screen's DPI: both hosts paint
// from these numbers, worked out by hand here from the margins (44 left, 96
// right, 30 top, 24 bottom at 96 DPI).
#include "range_plot_layout.h"

#include <gtest/gtest.h>

namespace kv::ui::testing {
namespace {

struct LayoutCase {
  double scale;  // 1 at 96 DPI
  int width;
  int height;
  PlotBox area;
  double row20;  // MinDistS 20
  double row40;  // MaxDistS 40
  PlotLabel minLabel;
};

class RangePlotLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(RangePlotLayoutTest, ScalesTheAreaLinesAndLabelsWithTheDpi) {
  const LayoutCase& c = GetParam();
  RangePlot plot;
  plot.SetThresholds(std::pair<std::uint16_t, std::uint16_t>{20, 40});
  const RangePlotLayout layout(plot, c.width, c.height, c.scale);
  const PlotBox& area = layout.Area();
  EXPECT_EQ(area.left, c.area.left);
  EXPECT_EQ(area.top, c.area.top);
  EXPECT_EQ(area.width, c.area.width);
  EXPECT_EQ(area.height, c.area.height);
  EXPECT_EQ(layout.ScaleInches(), 60);
  const std::vector<RangePlotLayout::Threshold> lines = layout.Thresholds();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_DOUBLE_EQ(lines[0].y, c.row20);
  EXPECT_DOUBLE_EQ(lines[1].y, c.row40);
  const PlotLabel& label = lines[0].label;
  EXPECT_EQ(label.text, c.minLabel.text);
  EXPECT_DOUBLE_EQ(label.left, c.minLabel.left);
  EXPECT_DOUBLE_EQ(label.top, c.minLabel.top);
  EXPECT_DOUBLE_EQ(label.width, c.minLabel.width);
  EXPECT_DOUBLE_EQ(label.height, c.minLabel.height);
}

INSTANTIATE_TEST_SUITE_P(
    Dpi, RangePlotLayoutTest,
    ::testing::Values(
        LayoutCase{1.0, 400, 240, {44, 30, 260, 186}, 153, 91, {"MinDistS 20\"", 307, 145, 90, 16}},
        LayoutCase{
            2.0, 800, 480, {88, 60, 520, 372}, 307, 183, {"MinDistS 20\"", 615, 291, 180, 32}}));

TEST(RangePlotLayout, GrowsTheScaleForAFartherReadingAndDrawsNoLinesWithoutAConfiguration) {
  RangePlot plot;
  plot.AddReading(1000, RangeInfo{75, 0, 0, 0});
  const RangePlotLayout layout(plot, 400, 240);
  EXPECT_EQ(layout.ScaleInches(), 80);
  EXPECT_DOUBLE_EQ(layout.Y(80), 29);     // the area's top edge
  EXPECT_DOUBLE_EQ(layout.X(1000), 303);  // the newest at the right edge
  EXPECT_TRUE(layout.Thresholds().empty());
}

TEST(RangePlotLayout, PlacesThePlotRightOfTheSheetOnTheWorkArea) {
  const PlotBox screen{0, 0, 1280, 900};
  // Bottoms level, 16 pixels apart at 192 DPI.
  const PlotPoint beside = PlacePlotBesideSheet({100, 100, 500, 400}, 400, 240, screen, 2.0);
  EXPECT_EQ(beside.x, 615);
  EXPECT_EQ(beside.y, 259);
  // Kept on a narrow screen, and below its top.
  const PlotPoint kept = PlacePlotBesideSheet({500, 0, 600, 200}, 400, 240, screen);
  EXPECT_EQ(kept.x, 879);
  EXPECT_EQ(kept.y, 0);
}

TEST(RangePlotLayout, BlendsTheBandIntoTheBackground) {
  EXPECT_EQ(BlendPlotColor(kPlotInRangeColor, {255, 255, 255}, kPlotBandAlpha),
            (PlotColor{225, 239, 227}));
}

}  // namespace
}  // namespace kv::ui::testing
