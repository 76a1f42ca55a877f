// The distance plot in the native window: it opens beside the sheet from the
// sheet's system menu and when Auto GetRange starts, paints what the
// emulated sensor reads, follows the sensor being pulled and plugged, and
// closes with the sheet.
#include "range_plot_window.h"

#include <gtest/gtest.h>
#include <kv7700/clock.h>
#include <kv7700/emulation.h>

// clang-format off
#include <oleacc.h>
// clang-format on

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "hid/emulated/emulated_sensor.h"
#include "hid/emulated/sensor_set_probe.h"
#include "misc_page.h"
#include "program.h"
#include "sheet_window.h"
#include "simulated_sheet_fixture.h"
#include "system_functions.h"
#include "ui/range_plot_pixels.h"
#include "wide_text.h"

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
  // Auto GetRange on the Misc. page with the pixel table's distances and
  // one reading taken (the timer fired here, not by time), the plot sized
  // as the table has it.
  void ReadOnce() {
    window_->ActivatePage(kMiscPage);
    Win32DialogHost& misc = *window_->PageDialog(kMiscPage);
    misc.SetNumber(M::kIdRangeRate, 60000);
    Sensor().SetTarget(kPlotPixels.target);
    session_->App().EditSonar.MinDistS = static_cast<std::uint16_t>(kPlotPixels.minDist);
    session_->App().EditSonar.MaxDistS = static_cast<std::uint16_t>(kPlotPixels.maxDist);
    SendMessageW(GetDlgItem(misc.Window(), M::kIdAutoRange), BM_CLICK, 0, 0);
    session_->App().PageMisc->NotifyTimer(M::RANGE_TIMER_ID);
    SetClientSize(kPlotPixels.width, kPlotPixels.height);
  }

  RangePlotWindow* plot_ = nullptr;
};

TEST_F(RangePlotWindowTest, OpensFromTheMenuAndAutoRangePaintsReadingsAndFollowsPlugs) {
  EXPECT_FALSE(PlotShows());
  const UINT command = MenuCommand(L"Distance &Plot...");
  ASSERT_NE(command, 0u);
  SendMessageW(Sheet(), WM_SYSCOMMAND, command, 0);
  EXPECT_TRUE(PlotShows());
  wchar_t title[64] = {};
  GetWindowTextW(plot_->Window(), title, 64);
  EXPECT_STREQ(title, L"Distance - KV7700");
  plot_->Hide();

  ReadOnce();
  EXPECT_TRUE(PlotShows());
  RECT sheet{};
  RECT plot{};
  GetWindowRect(Sheet(), &sheet);
  GetWindowRect(plot_->Window(), &plot);
  EXPECT_GT(plot.left, sheet.left);  // right of the sheet, overlapping it on a narrow screen

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

// What a screen reader asks of the plot: its name and its value.
std::pair<std::wstring, std::wstring> ReaderNameAndValue(HWND window) {
  IAccessible* object = nullptr;
  const auto ask = Oleacc().accessibleObjectFromWindow;
  if (!ask || FAILED(ask(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                         reinterpret_cast<void**>(&object)))) {
    return {L"(no object)", L""};
  }
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  BSTR value = nullptr;
  object->get_accName(self, &name);
  object->get_accValue(self, &value);
  std::pair<std::wstring, std::wstring> answer{name ? name : L"", value ? value : L""};
  SysFreeString(name);
  SysFreeString(value);
  object->Release();
  return answer;
}

// A keyboard user opens it from the menu and finds the keyboard there, Esc
// closes it, Alt+Tab lists it; a reader hears its title and newest reading.
TEST_F(RangePlotWindowTest, TheKeyboardAndScreenReadersReachThePlot) {
  SendMessageW(Sheet(), WM_SYSCOMMAND, MenuCommand(L"Distance &Plot..."), 0);
  EXPECT_TRUE(PlotShows());
  EXPECT_EQ(GetForegroundWindow(), plot_->Window());
  EXPECT_NE(GetWindowLongPtrW(plot_->Window(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
  SendMessageW(plot_->Window(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(PlotShows());

  EXPECT_EQ(ReaderNameAndValue(plot_->Window()).first, L"Distance - KV7700");
  ReadOnce();
  const std::wstring reading = ReaderNameAndValue(plot_->Window()).second;
  EXPECT_EQ(Narrow(reading), session_->PlotFeed()->Plot().StatusText());
  EXPECT_EQ(reading, L"InRange: 30 inches");
}

// The painted client area as a top-down 32-bit BMP, for the pictures.
void SaveBitmap(const std::function<Rgb(int, int)>& pixel, const std::string& file) {
  const int width = kPlotPixels.width;
  const int height = kPlotPixels.height;
  BITMAPINFOHEADER info{sizeof(info), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  const DWORD bytes = static_cast<DWORD>(width * height * 4);
  BITMAPFILEHEADER head{0x4D42, static_cast<DWORD>(sizeof(head) + sizeof(info) + bytes), 0, 0,
                        static_cast<DWORD>(sizeof(head) + sizeof(info))};
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&head), sizeof(head));
  out.write(reinterpret_cast<const char*>(&info), sizeof(info));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = pixel(x, y);
      const unsigned char bgra[] = {static_cast<unsigned char>(c.blue),
                                    static_cast<unsigned char>(c.green),
                                    static_cast<unsigned char>(c.red), 0xFF};
      out.write(reinterpret_cast<const char*>(bgra), 4);
    }
  }
}

// High contrast on: every colour is the theme's (Windows' black high-
// contrast theme here), the in-range band is left out, and the plot follows
// when the user turns it on or off while it shows. Wine cannot turn high
// contrast on, so the answer to "is it on" is the test's; with
// KV7700_SCREENSHOT_DIR set the plot is saved there as
// windows-range-plot-high-contrast.bmp.
TEST_F(RangePlotWindowTest, HighContrastPaintsInTheSystemsColoursOnly) {
  const INT elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_GRAYTEXT};
  const COLORREF black[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0x1A, 0xEB, 0xFF),
                            RGB(0x3F, 0xF2, 0x3F)};
  COLORREF found[4] = {};
  for (int i = 0; i < 4; ++i) found[i] = GetSysColor(elements[i]);
  ReadOnce();
  ASSERT_FALSE(plot_->HighContrast());
  static bool on;
  on = true;
  SetHighContrastQuery([] { return on; });
  ASSERT_TRUE(SetSysColors(4, elements, black));
  SendMessageW(plot_->Window(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
  const bool followed = plot_->HighContrast();
  const auto pixel = PaintedPixels(plot_->Window());
  if (const char* folder = std::getenv("KV7700_SCREENSHOT_DIR")) {
    SaveBitmap(pixel, std::string(folder) + "/windows-range-plot-high-contrast.bmp");
  }
  SetSysColors(4, elements, found);
  on = false;
  SendMessageW(plot_->Window(), WM_SYSCOLORCHANGE, 0, 0);
  const bool followedBack = !plot_->HighContrast();
  SetHighContrastQuery(nullptr);

  EXPECT_TRUE(followed);
  EXPECT_TRUE(followedBack);
  EXPECT_EQ(pixel(kPlotPixels.width - 1, kPlotPixels.height - 1), (Rgb{0, 0, 0}));
  EXPECT_EQ(pixel(kPlotPixels.dotX, kPlotPixels.dotY), (Rgb{0x1A, 0xEB, 0xFF}));
  // No band: between the detection distances the background shows.
  EXPECT_EQ(pixel(kPlotPixels.areaLeft + 10, (kPlotPixels.minRow + kPlotPixels.maxRow) / 2),
            (Rgb{0, 0, 0}));
  // None of the plot's own colours anywhere: no orange, no green.
  for (int y = 0; y < kPlotPixels.height; ++y) {
    for (int x = 0; x < kPlotPixels.width; ++x) {
      const Rgb c = pixel(x, y);
      ASSERT_FALSE(ui::testing::IsOrange(c) || c == ui::testing::kInRangeGreen) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace kv::ui::win32
