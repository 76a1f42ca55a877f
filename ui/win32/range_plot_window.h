// The small window beside the sheet that paints the live distance plot, as
// the Qt host's does: the distance over the last minute, the detection
// distances as dashed lines with the in-range band between them, and a line
// saying what the readings do. Painted with GDI into a bitmap first, so it
// never flickers, and scaled for the screen's DPI. The data is RangePlot's
// and where things go RangePlotLayout's; this only paints them.
#pragma once

#include "range_plot_feed.h"
#include "win32.h"

namespace kv::ui::win32 {

class RangePlotWindow final : public RangePlotView {
 public:
  explicit RangePlotWindow(const RangePlot& plot) : plot_(plot) {}
  ~RangePlotWindow() override;
  RangePlotWindow(const RangePlotWindow&) = delete;
  RangePlotWindow& operator=(const RangePlotWindow&) = delete;

  // Makes the window, hidden, owned by the sheet: it goes with the sheet.
  bool Create(HWND sheet);
  HWND Window() const { return window_; }
  void Hide();

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
  void SetClientSize(int width, int height);

  const RangePlot& plot_;
  HWND sheet_ = nullptr;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  double scale_ = 1.0;
  bool placed_ = false;
};

}  // namespace kv::ui::win32
