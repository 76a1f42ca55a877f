// The live distance plot's data, fed by the Misc. page's timed readings of an
// emulated sensor whose target moves: the points of the last minute, the
// detection distances as thresholds, and the sensor being pulled out.
#include <gmock/gmock.h>

#include <algorithm>

#include "misc_page_fixture.h"
#include "range_plot_feed.h"

namespace kv::ui::testing {
namespace {

using M = MiscPage;
using State = RangePlot::State;

class CountingView final : public RangePlotView {
 public:
  void ShowPlot() override { ++shows; }
  void PlotChanged() override { ++changes; }
  int shows = 0;
  int changes = 0;
};

class RangePlotTest : public MiscPageTest {
 protected:
  void StartPlotting() {
    StartOnMisc();
    Page().SetRangeListener(&feed);
    feed.SetView(&view);
    ASSERT_TRUE(Misc().Type(M::kIdRangeRate, "1000"));
    ASSERT_TRUE(Misc().Click(M::kIdAutoRange));
    ASSERT_EQ(Page().RangeTimer(), M::RANGE_TIMER_ID);
  }
  // One tick a second: the reading itself takes the sensor's 250 ms.
  void Tick(int count) {
    for (int i = 0; i < count; ++i) {
      clock.Advance(750);
      ASSERT_TRUE(Misc().FireTimer(M::RANGE_TIMER_ID));
    }
  }
  const RangePlot& Plot() const { return feed.Plot(); }

  RangePlotFeed feed{app};
  CountingView view;
};

TEST_F(RangePlotTest, AnApproachingTargetIsPlottedOverTheLastMinute) {
  auto sensor = Plug(0x0144);
  sensor->Working() = SourceMemory();  // detects from 15 to 40 inches
  StartPlotting();
  EXPECT_EQ(view.shows, 1);
  EXPECT_EQ(Plot().MinInches(), 15);
  EXPECT_EQ(Plot().MaxInches(), 40);

  sensor->SetTarget(58, -0.5);  // walks up at half an inch a second
  Tick(80);

  const auto& samples = Plot().Samples();
  ASSERT_EQ(samples.size(), 61u);  // one a second, both ends included
  EXPECT_EQ(samples.back().atMs, clock.NowMs());
  EXPECT_EQ(samples.back().atMs - samples.front().atMs, RangePlot::kSpanMs);
  int previous = samples.front().inches;
  for (const RangeSample& sample : samples) {
    SCOPED_TRACE(sample.atMs);
    ASSERT_TRUE(sample.valid);
    const int inches = sample.inches;
    EXPECT_LE(inches, previous);  // nearer or the same, never farther
    EXPECT_LE(previous - inches, 1);
    previous = inches;
    // Inside the thresholds is in range; the sensor decides in echo ticks,
    // so an inch at either edge may go either way.
    if (inches < 14 || inches > 41) {
      EXPECT_FALSE(sample.inRange);
    } else if (inches > 15 && inches < 40) {
      EXPECT_TRUE(sample.inRange);
    }
  }
  // 20 s in, the target was 48 inches away; 80 s in, 18.
  EXPECT_NEAR(samples.front().inches, 48, 1);
  EXPECT_NEAR(samples.back().inches, 18, 1);
  EXPECT_EQ(Plot().StatusText(), "InRange: " + std::to_string(samples.back().inches) + " inches");
  EXPECT_GE(view.changes, 80);
}

TEST_F(RangePlotTest, PullingTheSensorOutBreaksTheLineAndThePlotFollowsTheNextOne) {
  std::string first;
  auto sensor = Plug(0x0144, &first);
  sensor->Working() = SourceMemory();
  StartPlotting();
  sensor->SetTarget(30);
  Tick(5);
  ASSERT_EQ(Plot().Samples().size(), 5u);

  bus.Unplug(first);
  EXPECT_EQ(Plot().CurrentState(), State::NoSensor);
  EXPECT_EQ(Plot().MinInches(), std::nullopt);
  EXPECT_EQ(Plot().MaxInches(), std::nullopt);
  EXPECT_THAT(Plot().StatusText(), ::testing::StartsWith("No sensor"));
  // The page's next reading fails as it always has; the plot keeps saying
  // why, and the line breaks once.
  Tick(1);
  EXPECT_EQ(Plot().CurrentState(), State::NoSensor);
  ASSERT_EQ(Plot().Samples().size(), 6u);
  EXPECT_FALSE(Plot().Samples().back().valid);
  EXPECT_EQ(Plot().Latest(), std::nullopt);

  // Another sensor, detecting from 20 to 30 inches: its thresholds, and the
  // readings go on after a click on the box (halted) and one to start.
  auto second = std::make_shared<emu::EmulatedSensor>(0x0144);
  emu::Memory narrow = SourceMemory();
  narrow[0][3] = 70;   // echo ticks of 20 inches
  narrow[0][4] = 104;  // and of 30
  second->Working() = narrow;
  bus.PlugSensor(second);
  EXPECT_EQ(Plot().MinInches(), 20);
  EXPECT_EQ(Plot().MaxInches(), 30);
  ASSERT_TRUE(Misc().Click(M::kIdAutoRange));
  EXPECT_EQ(Plot().CurrentState(), State::Idle);
  ASSERT_TRUE(Misc().Click(M::kIdAutoRange));
  second->SetTarget(35);
  Tick(2);
  EXPECT_EQ(Plot().CurrentState(), State::Reading);
  EXPECT_EQ(Plot().StatusText(), "NOT InRange: 35 inches");
  const auto& samples = Plot().Samples();
  EXPECT_EQ(std::count_if(samples.begin(), samples.end(),
                          [](const RangeSample& sample) { return !sample.valid; }),
            1);
}

TEST(RangePlotStatusTest, SaysWhatTheReadingsDo) {
  RangePlot plot;
  const struct {
    State state;
    const char* starts;
  } cases[] = {{State::Idle, "Not reading"},
               {State::Reading, "Reading..."},
               {State::Halted, "The reading failed"},
               {State::NoSensor, "No sensor"}};
  for (const auto& c : cases) {
    plot.SetState(c.state);
    EXPECT_THAT(plot.StatusText(), ::testing::StartsWith(c.starts));
  }
}

}  // namespace
}  // namespace kv::ui::testing
