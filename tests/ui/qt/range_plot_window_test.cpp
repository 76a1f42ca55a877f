// The distance plot in the Qt window: it opens beside the sheet when Auto
// GetRange starts and from the sheet's context menu, and paints what the
// readings give.
#include "range_plot_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QImage>
#include <QTabWidget>

#include "misc_page.h"
#include "one_sensor_window.h"
#include "ui/range_plot_pixels.h"

namespace kv::ui::qt::testing {
namespace {

using M = MiscPage;
using RangePlotWindowTest = OneSensorWindowTest<>;

TEST_F(RangePlotWindowTest, OpensWithAutoRangeAndFromTheSheetsMenu) {
  RangePlotWindow* plot = session->PlotWindow();
  ASSERT_NE(plot, nullptr);
  EXPECT_FALSE(plot->isVisible());

  // The sheet's context menu holds the action that opens the plot.
  const QList<QAction*> actions = window->actions();
  ASSERT_EQ(actions.size(), 1);
  EXPECT_EQ(window->contextMenuPolicy(), Qt::ActionsContextMenu);
  actions[0]->trigger();
  EXPECT_TRUE(plot->isVisible());
  plot->hide();

  window->Tabs()->setCurrentIndex(3);
  auto* box = qobject_cast<QAbstractButton*>(window->PageDialog(3)->Widget(M::kIdAutoRange));
  ASSERT_NE(box, nullptr);
  Sensor().SetTarget(ui::testing::kPlotPixels.target);
  session->App().EditSonar.MinDistS = ui::testing::kPlotPixels.minDist;
  session->App().EditSonar.MaxDistS = ui::testing::kPlotPixels.maxDist;
  box->click();
  EXPECT_TRUE(plot->isVisible());
  // Right of the sheet (overlapping its edge on a screen too narrow).
  EXPECT_GT(plot->frameGeometry().left(), window->frameGeometry().left());
  session->App().PageMisc->NotifyTimer(M::RANGE_TIMER_ID);
  EXPECT_EQ(plot->accessibleDescription().toStdString(), "InRange: 30 inches");

  // The pixels both hosts paint, worked out by hand.
  const ui::testing::PlotPixels& p = ui::testing::kPlotPixels;
  plot->resize(p.width, p.height);
  const QImage image = plot->grab().toImage();
  ASSERT_EQ(image.size(), QSize(p.width, p.height));
  const auto pixelAt = [&](int x, int y) {
    const QColor c = image.pixelColor(x, y);
    return ui::testing::Rgb{c.red(), c.green(), c.blue()};
  };
  EXPECT_EQ(pixelAt(p.dotX, p.dotY), ui::testing::kInRangeGreen);
  ui::testing::ExpectThresholdRows(pixelAt, true);
  box->click();
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace kv::ui::qt::testing
