// The small window beside the sheet that paints the live distance plot: the
// distance over the last minute, the detection distances as dashed lines
// with the in-range band between them, and a line saying what the readings
// do. The data is RangePlot's; this only paints it.
#pragma once

#include <QWidget>

#include "range_plot_feed.h"
#include "range_plot_layout.h"

namespace kv::ui::qt {

class RangePlotWindow final : public QWidget, public RangePlotView {
 public:
  explicit RangePlotWindow(const RangePlot& plot, QWidget* parent = nullptr);

  // The sheet it opens beside, the first time it shows.
  void SetSheet(const QWidget* sheet) { sheet_ = sheet; }

  // RangePlotView
  void ShowPlot() override;
  void PlotChanged() override;

  QSize sizeHint() const override { return {RangePlotLayout::kWidth, RangePlotLayout::kHeight}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PlaceBesideSheet();

  const RangePlot& plot_;
  const QWidget* sheet_ = nullptr;
  bool placed_ = false;
};

}  // namespace kv::ui::qt
