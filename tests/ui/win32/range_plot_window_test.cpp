// The distance plot in the native window: it opens beside the sheet from the
// sheet's system menu and when Auto GetRange starts, paints what the
// emulated sensor reads, follows the sensor being pulled and plugged, and
// closes with the sheet.
#include "range_plot_window.h"

#include <gtest/gtest.h>
#include <kv7700/clock.h>
#include <kv7700/emulation.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hid/emulated/emulated_sensor.h"
#include "hid/emulated/sensor_set_probe.h"
#include "misc_page.h"
#include "program.h"
#include "sheet_window.h"
#include "simulated_sheet_fixture.h"
#include "ui/range_plot_pixels.h"

namespace kv::ui::win32 {
namespace {

using M = MiscPage;
using ui::testing::kPlotPixels;
using ui::testing::Rgb;
constexpr int kMiscPage = 3;

// The window's client area, `kPlotPixels` in size, as WM_PRINTCLIENT paints
// it.
std::function<Rgb(int, int)> PaintedPixels(HWND window) {
  const int width = kPlotPixels.width;
  const int height = kPlotPixels.height;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  SelectObject(dc, old);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(info.bmiHeader), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  auto pixels = std::make_shared<std::vector<std::uint32_t>>(width * height);
  GetDIBits(dc, bitmap, 0, height, pixels->data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return [pixels](int x, int y) {
    const std::uint32_t pixel =
        (*pixels)[static_cast<std::size_t>(y) * kPlotPixels.width + static_cast<std::size_t>(x)];
    return Rgb{static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
               static_cast<int>(pixel & 0xFF)};
  };
}

class RangePlotWindowTest : public SimulatedSheetTest {
 protected:
  void SetUp() override {
    SimulatedSheetTest::SetUp();
    plot_ = session_->PlotWindow();
    ASSERT_NE(plot_, nullptr);
    ASSERT_NE(plot_->Window(), nullptr);
  }
  bool PlotShows() { return IsWindowVisible(plot_->Window()) != FALSE; }
  // The system menu's entry with `text`, as the user finds it.
  UINT MenuCommand(const std::wstring& text) {
    HMENU menu = GetSystemMenu(Sheet(), FALSE);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      wchar_t entry[64] = {};
      GetMenuStringW(menu, static_cast<UINT>(i), entry, 64, MF_BYPOSITION);
      if (text == entry) {
        return GetMenuItemID(menu, i);
      }
    }
    return 0;
  }
  void SetClientSize(int width, int height) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(plot_->Window(), GWL_STYLE)),
                       FALSE, static_cast<DWORD>(GetWindowLongPtrW(plot_->Window(), GWL_EXSTYLE)));
    SetWindowPos(plot_->Window(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  emu::EmulatedSensor& Sensor() { return emu::SensorSetProbe::Sensor(*session_->Emulation(), 0); }

  RangePlotWindow* plot_ = nullptr;
};

TEST_F(RangePlotWindowTest, OpensFromTheMenuAndAutoRangePaintsReadingsAndFollowsPlugs) {
  EXPECT_FALSE(PlotShows());
  const UINT command = MenuCommand(L"Distance Plot...");
  ASSERT_NE(command, 0u);
  SendMessageW(Sheet(), WM_SYSCOMMAND, command, 0);
  EXPECT_TRUE(PlotShows());
  wchar_t title[64] = {};
  GetWindowTextW(plot_->Window(), title, 64);
  EXPECT_STREQ(title, L"Distance - KV7700");
  plot_->Hide();

  // Auto GetRange on the Misc. page; the timer is fired here, not by time.
  window_->ActivatePage(kMiscPage);
  Win32DialogHost& misc = *window_->PageDialog(kMiscPage);
  misc.SetNumber(M::kIdRangeRate, 60000);
  Sensor().SetTarget(kPlotPixels.target);
  session_->App().EditSonar.MinDistS = static_cast<std::uint16_t>(kPlotPixels.minDist);
  session_->App().EditSonar.MaxDistS = static_cast<std::uint16_t>(kPlotPixels.maxDist);
  SendMessageW(GetDlgItem(misc.Window(), M::kIdAutoRange), BM_CLICK, 0, 0);
  EXPECT_TRUE(PlotShows());
  RECT sheet{};
  RECT plot{};
  GetWindowRect(Sheet(), &sheet);
  GetWindowRect(plot_->Window(), &plot);
  EXPECT_GT(plot.left, sheet.left);  // right of the sheet, overlapping it on a narrow screen
  session_->App().PageMisc->NotifyTimer(M::RANGE_TIMER_ID);

  SetClientSize(kPlotPixels.width, kPlotPixels.height);
  RECT client{};
  GetClientRect(plot_->Window(), &client);
  ASSERT_EQ(client.right, kPlotPixels.width);
  ASSERT_EQ(client.bottom, kPlotPixels.height);
  EXPECT_EQ(PaintedPixels(plot_->Window())(kPlotPixels.dotX, kPlotPixels.dotY),
            ui::testing::kInRangeGreen);
  ui::testing::ExpectThresholdRows(PaintedPixels(plot_->Window()), true);

  // Pulled out: no configuration, so no detection distances; plugged back
  // in, they come back.
  session_->Emulation()->PullOut(0);
  RunUntilCaptionShows(L"DeviceFW 0.00");
  ui::testing::ExpectThresholdRows(PaintedPixels(plot_->Window()), false);
  session_->Emulation()->PlugIn(0);
  RunUntilCaptionShows(L"DeviceFW 4.10");
  session_->App().EditSonar.MinDistS = static_cast<std::uint16_t>(kPlotPixels.minDist);
  session_->App().EditSonar.MaxDistS = static_cast<std::uint16_t>(kPlotPixels.maxDist);
  SendMessageW(Sheet(), WM_SYSCOMMAND, command, 0);
  ui::testing::ExpectThresholdRows(PaintedPixels(plot_->Window()), true);

  // The plot goes with the sheet.
  SendMessageW(Sheet(), WM_SYSCOMMAND, SC_CLOSE, 0);
  RunPending();
  EXPECT_TRUE(window_->Finished());
  EXPECT_FALSE(PlotShows());
  EXPECT_TRUE(messages_.empty());
}

}  // namespace
}  // namespace kv::ui::win32
