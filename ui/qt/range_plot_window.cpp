#include "range_plot_window.h"

#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <algorithm>

#include "window_services.h"

namespace kv::ui::qt {

namespace {

constexpr int kGapToSheet = 8;
constexpr int kLeft = 44;
constexpr int kRight = 96;  // room for the threshold labels
constexpr int kTop = 30;    // room for the status line
constexpr int kBottom = 24;
// The sensor measures up to 60 inches; the scale grows for a farther reading.
constexpr int kScaleInches = 60;

const QColor kInRangeColor(0x2e, 0x8b, 0x3a);
const QColor kOutOfRangeColor(0x80, 0x80, 0x80);
const QColor kThresholdColor(0xc0, 0x6a, 0x00);

}  // namespace

RangePlotWindow::RangePlotWindow(const RangePlot& plot, QWidget* parent)
    : QWidget(parent, Qt::Window), plot_(plot) {
  setWindowTitle(QStringLiteral("Distance - KV7700"));
  setAccessibleName(QStringLiteral("Distance plot"));
  setMinimumSize(260, 160);
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
  QPoint at(sheet.right() + kGapToSheet, sheet.bottom() - height());
  if (const QScreen* screen = sheet_->screen()) {
    const QRect area = screen->availableGeometry();
    at.setX(std::min(at.x(), area.right() - width()));
    at.setY(std::max(at.y(), area.top()));
  }
  move(at);
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
  const QRect area(kLeft, kTop, std::max(1, width() - kLeft - kRight),
                   std::max(1, height() - kTop - kBottom));

  // Status line: the newest reading as the Misc. page shows it, or why
  // there is none.
  const std::optional<RangeSample> latest = plot_.Latest();
  painter.setPen(latest && latest->inRange ? kInRangeColor : palette().text().color());
  painter.drawText(QRect(8, 4, width() - 16, kTop - 8), Qt::AlignLeft | Qt::AlignVCenter,
                   ToQt(plot_.StatusText()));

  int scale = kScaleInches;
  for (const RangeSample& sample : plot_.Samples()) {
    scale = std::max<int>(scale, sample.inches);
  }
  scale = (scale + 9) / 10 * 10;
  const auto y = [&](double inches) {
    return area.bottom() - inches * area.height() / static_cast<double>(scale);
  };
  const std::uint64_t end = plot_.EndMs();
  const auto x = [&](std::uint64_t atMs) {
    const double age = static_cast<double>(end - atMs);
    return area.right() - age * area.width() / static_cast<double>(RangePlot::kSpanMs);
  };

  // In-range band and the two detection distances.
  const std::optional<std::uint16_t> min = plot_.MinInches();
  const std::optional<std::uint16_t> max = plot_.MaxInches();
  if (min && max) {
    QColor band = kInRangeColor;
    band.setAlpha(36);
    painter.fillRect(QRectF(QPointF(area.left(), y(*max)), QPointF(area.right(), y(*min))), band);
    painter.setPen(QPen(kThresholdColor, 1.5, Qt::DashLine));
    const struct {
      std::uint16_t inches;
      const char* name;
    } lines[] = {{*min, "MinDistS"}, {*max, "MaxDistS"}};
    for (const auto& line : lines) {
      painter.drawLine(QPointF(area.left(), y(line.inches)), QPointF(area.right(), y(line.inches)));
      painter.drawText(QRectF(area.right() + 4, y(line.inches) - 8, kRight - 6, 16),
                       Qt::AlignLeft | Qt::AlignVCenter,
                       QStringLiteral("%1 %2\"").arg(QLatin1String(line.name)).arg(line.inches));
    }
  }

  // Axes: inches up the side, seconds along the bottom.
  painter.setPen(palette().mid().color());
  painter.drawRect(area);
  painter.setPen(palette().text().color());
  for (int inches = 0; inches <= scale; inches += 10) {
    painter.drawText(QRectF(0, y(inches) - 8, kLeft - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("%1\"").arg(inches));
  }
  for (int seconds : {60, 45, 30, 15, 0}) {
    const double at = area.right() - seconds * area.width() / 60.0;
    painter.drawText(QRectF(at - 30, area.bottom() + 4, 60, kBottom - 6), Qt::AlignCenter,
                     seconds ? QStringLiteral("-%1 s").arg(seconds) : QStringLiteral("now"));
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
    const QPointF point(x(sample.atMs), y(sample.inches));
    if (joined) {
      path.lineTo(point);
    } else {
      path.moveTo(point);
    }
    joined = true;
  }
  painter.setPen(QPen(palette().text().color(), 1.5));
  painter.drawPath(path);
  painter.setPen(Qt::NoPen);
  for (const RangeSample& sample : plot_.Samples()) {
    if (sample.valid) {
      painter.setBrush(sample.inRange ? kInRangeColor : kOutOfRangeColor);
      painter.drawEllipse(QPointF(x(sample.atMs), y(sample.inches)), 3, 3);
    }
  }
}

}  // namespace kv::ui::qt
