#include "range_plot_feed.h"

#include <kv7700/clock.h>

#include "dorvane_app.h"

namespace kv::ui {

namespace {
std::uint64_t Now() {
  return GetClock().NowMs();
}
}  // namespace

void RangePlotFeed::TakeThresholds() {
  if (app_.ConfigLoaded) {
    plot_.SetThresholds(std::pair{app_.EditSonar.MinDistS, app_.EditSonar.MaxDistS});
  } else {
    plot_.SetThresholds(std::nullopt);
  }
}

void RangePlotFeed::Open() {
  TakeThresholds();
  Changed();
  if (view_) {
    view_->ShowPlot();
  }
}

void RangePlotFeed::Changed() {
  if (view_) {
    view_->PlotChanged();
  }
}

void RangePlotFeed::AutoRangeStarted() {
  TakeThresholds();
  plot_.AddGap(Now());  // readings from an earlier run do not join these
  plot_.SetState(RangePlot::State::Reading);
  if (view_) {
    view_->ShowPlot();
  }
  Changed();
}

void RangePlotFeed::RangeRead(const RangeInfo& reading) {
  plot_.AddReading(Now(), reading);
  plot_.SetState(RangePlot::State::Reading);
  Changed();
}

void RangePlotFeed::RangeFailed() {
  plot_.AddGap(Now());
  // Pulled out: say so rather than that a reading failed.
  plot_.SetState(app_.ConfigLoaded ? RangePlot::State::Halted : RangePlot::State::NoSensor);
  Changed();
}

void RangePlotFeed::AutoRangeStopped() {
  plot_.AddGap(Now());
  plot_.SetState(RangePlot::State::Idle);
  Changed();
}

void RangePlotFeed::ConfigurationChanged() {
  TakeThresholds();
  if (!app_.ConfigLoaded && plot_.CurrentState() != RangePlot::State::Idle) {
    plot_.AddGap(Now());
    plot_.SetState(RangePlot::State::NoSensor);
  }
  Changed();
}

}  // namespace kv::ui
