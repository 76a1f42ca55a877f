// Feeds the live distance plot from the Misc. page's timed readings, with the
// detection distances of the configuration loaded, and tells the host's plot
// window when to show and when to paint again.
#pragma once

#include "range_listener.h"
#include "range_plot.h"

namespace kv::ui {

class CDorvaneApp;

// The plot window's title, and the sheet's menu entry that opens it.
inline constexpr char kPlotWindowTitle[] = "Distance - KV7700";
inline constexpr char kPlotMenuText[] = "Distance Plot...";

// What a host's plot window offers.
class RangePlotView {
 public:
  virtual ~RangePlotView() = default;
  // Shows the window beside the sheet, or raises it.
  virtual void ShowPlot() = 0;
  // The plot's data changed.
  virtual void PlotChanged() = 0;
};

class RangePlotFeed final : public RangeListener {
 public:
  explicit RangePlotFeed(CDorvaneApp& app) : app_(app) {}

  // The view may be null (nothing is shown then).
  void SetView(RangePlotView* view) { view_ = view; }
  const RangePlot& Plot() const { return plot_; }
  // Takes the detection distances of the configuration loaded now.
  void TakeThresholds();
  // The user opens the plot (the sheet's menu): it shows, with the
  // distances of now.
  void Open();

  // RangeListener
  void AutoRangeStarted() override;
  void RangeRead(const RangeInfo& reading) override;
  void RangeFailed() override;
  void AutoRangeStopped() override;
  void ConfigurationChanged() override;

 private:
  void Changed();

  CDorvaneApp& app_;
  RangePlotView* view_ = nullptr;
  RangePlot plot_;
};

}  // namespace kv::ui
