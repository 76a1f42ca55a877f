// The small window beside the sheet that paints the live distance plot, as
// the Qt host's does: the distance over the last minute, the detection
// distances as dashed lines with the in-range band between them, and a line
// saying what the readings do. Painted with GDI into a bitmap first, so it
// never flickers, and scaled for the screen's DPI. The data is RangePlot's
// and where things go RangePlotLayout's; this only paints them.
//
// With high contrast on it paints in the system's colours only, and paints
// again when they change. It is in Alt+Tab and the taskbar, Esc hides it,
// and a screen reader hears its title as its name and the newest reading as
// its value.
#pragma once

#include <string>

#include "accessible_names.h"
#include "range_plot_feed.h"
#include "win32.h"

namespace kv::ui::win32 {

// The sheet's system menu entry, P its access key (free among the system
// menu's own).
inline constexpr char kPlotMenuEntry[] = "Distance &Plot...";

// The colours the plot paints with.
struct PlotPalette {
  COLORREF background;
  COLORREF text;        // labels, the distance line, a reading out of range
  COLORREF frame;       // the plot area's edge
  COLORREF inRange;     // a reading in range, and the status line then
  COLORREF outOfRange;  // a reading's dot out of range
  COLORREF threshold;   // the detection distances and their labels
  bool band;            // the in-range band is filled (not in high contrast)
};

// The plot's own colours, or with high contrast on only the system's, which
// the user's theme makes legible against each other.
PlotPalette CurrentPlotPalette();

// Whether high contrast is on: SPI_GETHIGHCONTRAST unless a test put
// another answer in (Wine always answers "off" and cannot turn it on).
using HighContrastQuery = bool (*)();
void SetHighContrastQuery(HighContrastQuery query);

class RangePlotWindow final : public RangePlotView {
 public:
  explicit RangePlotWindow(const RangePlot& plot) : plot_(plot) {}
  ~RangePlotWindow() override;
  RangePlotWindow(const RangePlotWindow&) = delete;
  RangePlotWindow& operator=(const RangePlotWindow&) = delete;

  // Makes the window, hidden, owned by the sheet: it goes with the sheet.
  bool Create(HWND sheet);
  HWND Window() const { return window_; }
  // Hides it; the sheet takes the keyboard back if the plot had it.
  void Hide();
  // Shows it and gives it the keyboard: the user asked for it.
  void Open();
  // Whether the last paint took the system's high-contrast colours.
  bool HighContrast() const { return !palette_.band; }

  // RangePlotView
  void ShowPlot() override;
  void PlotChanged() override;

  // Paints the whole client area, `width` by `height`, into `dc`
  // (WM_PAINT through a bitmap, WM_PRINTCLIENT straight).
  void Paint(HDC dc, int width, int height);

 private:
  static LRESULT CALLBACK PlotProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void PaintBuffered();
  void PlaceBesideSheet();
  // The screen's pixels per pixel at 96 DPI, and the font for it.
  void TakeDpi(UINT dpi);
  // The newest reading, as a screen reader hears it.
  void TellReaders();
  void SetClientSize(int width, int height);

  const RangePlot& plot_;
  HWND sheet_ = nullptr;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  double scale_ = 1.0;
  PlotPalette palette_ = CurrentPlotPalette();
  AccessibleNames names_;
  bool placed_ = false;
};

}  // namespace kv::ui::win32
