#include "range_plot_window.h"

#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include "window_services.h"

namespace kv::ui::qt {

namespace {

QColor ColorOf(PlotColor color) {
  return {color.red, color.green, color.blue};
}

QRectF BoxOf(const PlotLabel& label) {
  return {label.left, label.top, label.width, label.height};
}

}  // namespace

RangePlotWindow::RangePlotWindow(const RangePlot& plot, QWidget* parent)
    : QWidget(parent, Qt::Window), plot_(plot) {
  setWindowTitle(ToQt(kPlotWindowTitle));
  setAccessibleName(QStringLiteral("Distance plot"));
  setMinimumSize(RangePlotLayout::kMinWidth, RangePlotLayout::kMinHeight);
  resize(sizeHint());
}

void RangePlotWindow::PlaceBesideSheet() {
  if (!sheet_ || placed_) {
    return;
  }
  placed_ = true;
  // Right of the sheet, its bottom with the sheet's (the simulation panel
  // takes the top).
  const QRect sheet = sheet_->frameGeometry();
  const auto box = [](const QRect& rect) {
    return PlotBox{rect.left(), rect.top(), rect.width(), rect.height()};
  };
  // Without a screen, nothing to keep it on.
  PlotBox workArea{sheet.left(), sheet.top(), 1 << 20, 1 << 20};
  if (const QScreen* screen = sheet_->screen()) {
    workArea = box(screen->availableGeometry());
  }
  const PlotPoint at = PlacePlotBesideSheet(box(sheet), width(), height(), workArea);
  move(at.x, at.y);
}

void RangePlotWindow::ShowPlot() {
  PlaceBesideSheet();
  if (isVisible()) {
    raise();  // behind the sheet, perhaps
  }
  show();
}

void RangePlotWindow::PlotChanged() {
  setAccessibleDescription(ToQt(plot_.StatusText()));
  update();
}

void RangePlotWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), palette().base());
  const RangePlotLayout layout(plot_, width(), height());
  const PlotBox& box = layout.Area();
  const QRect area(box.left, box.top, box.width, box.height);

  // Status line: the newest reading as the Misc. page shows it, or why
  // there is none.
  const std::optional<RangeSample> latest = plot_.Latest();
  const PlotBox& status = layout.StatusBox();
  painter.setPen(latest && latest->inRange ? ColorOf(kPlotInRangeColor) : palette().text().color());
  painter.drawText(QRect(status.left, status.top, status.width, status.height),
                   Qt::AlignLeft | Qt::AlignVCenter, ToQt(plot_.StatusText()));

  // In-range band and the two detection distances.
  const std::vector<RangePlotLayout::Threshold> lines = layout.Thresholds();
  if (!lines.empty()) {
    QColor band = ColorOf(kPlotInRangeColor);
    band.setAlpha(kPlotBandAlpha);
    painter.fillRect(QRectF(QPointF(area.left(), lines[1].y), QPointF(area.right(), lines[0].y)),
                     band);
    painter.setPen(QPen(ColorOf(kPlotThresholdColor), RangePlotLayout::kLineWidth, Qt::DashLine));
    for (const RangePlotLayout::Threshold& line : lines) {
      painter.drawLine(QPointF(area.left(), line.y), QPointF(area.right(), line.y));
      painter.drawText(BoxOf(line.label), Qt::AlignLeft | Qt::AlignVCenter, ToQt(line.label.text));
    }
  }

  // Axes: inches up the side, seconds along the bottom.
  painter.setPen(palette().mid().color());
  painter.drawRect(area);
  painter.setPen(palette().text().color());
  for (const PlotLabel& label : layout.InchLabels()) {
    painter.drawText(BoxOf(label), Qt::AlignRight | Qt::AlignVCenter, ToQt(label.text));
  }
  for (const PlotLabel& label : layout.TimeLabels()) {
    painter.drawText(BoxOf(label), Qt::AlignCenter, ToQt(label.text));
  }

  // The distance: a line broken where readings failed, a dot per reading,
  // green while in range.
  painter.setClipRect(area.adjusted(-4, -4, 4, 4));
  QPainterPath path;
  bool joined = false;
  for (const RangeSample& sample : plot_.Samples()) {
    if (!sample.valid) {
      joined = false;
      continue;
    }
    const QPointF point(layout.X(sample.atMs), layout.Y(sample.inches));
    if (joined) {
      path.lineTo(point);
    } else {
      path.moveTo(point);
    }
    joined = true;
  }
  painter.setPen(QPen(palette().text().color(), RangePlotLayout::kLineWidth));
  painter.drawPath(path);
  painter.setPen(Qt::NoPen);
  for (const RangeSample& sample : plot_.Samples()) {
    if (sample.valid) {
      painter.setBrush(ColorOf(sample.inRange ? kPlotInRangeColor : kPlotOutOfRangeColor));
      painter.drawEllipse(QPointF(layout.X(sample.atMs), layout.Y(sample.inches)),
                          RangePlotLayout::kDotRadius, RangePlotLayout::kDotRadius);
    }
  }
}

}  // namespace kv::ui::qt
