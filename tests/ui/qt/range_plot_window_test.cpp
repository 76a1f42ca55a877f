// The distance plot in the Qt window: it opens beside the sheet when Auto
// GetRange starts and from the sheet's context menu, and paints what the
// readings give.
#include "range_plot_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QImage>
#include <QTabWidget>
#include <cstdlib>

#include "misc_page.h"
#include "one_sensor_window.h"

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
  Sensor().SetTarget(30);
  session->App().EditSonar.MinDistS = 20;
  session->App().EditSonar.MaxDistS = 40;
  box->click();
  EXPECT_TRUE(plot->isVisible());
  // Right of the sheet (overlapping its edge on a screen too narrow).
  EXPECT_GT(plot->frameGeometry().left(), window->frameGeometry().left());
  session->App().PageMisc->NotifyTimer(M::RANGE_TIMER_ID);
  EXPECT_EQ(plot->accessibleDescription().toStdString(), "InRange: 30 inches");

  // At 400 x 300 the plot area spans x 44..303 and y 30..275, 60 inches
  // high: an inch is 4.1 pixels, and the newest reading sits at the right.
  plot->resize(400, 300);
  const QImage image = plot->grab().toImage();
  ASSERT_EQ(image.size(), QSize(400, 300));
  EXPECT_EQ(image.pixelColor(303, 152), QColor(0x2e, 0x8b, 0x3a));  // 30 inches, in range
  // The dashed MinDistS and MaxDistS lines, in their orange, across the
  // area at 20 and 40 inches (rows 193 and 111), and nowhere else.
  const auto orangeInRow = [&](int row) {
    int count = 0;
    for (int x = 44; x <= 303; ++x) {
      const QColor c = image.pixelColor(x, row);
      count += c.red() > c.green() + 40 && c.green() > c.blue() + 40 ? 1 : 0;
    }
    return count;
  };
  for (int row = 31; row < 275; ++row) {
    const bool onLine = std::abs(row - 193) <= 1 || std::abs(row - 111) <= 1;
    if (!onLine) {
      EXPECT_EQ(orangeInRow(row), 0) << "row " << row;
    }
  }
  EXPECT_GT(orangeInRow(192) + orangeInRow(193), 260 / 4);
  EXPECT_GT(orangeInRow(110) + orangeInRow(111), 260 / 4);
  box->click();
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace kv::ui::qt::testing
