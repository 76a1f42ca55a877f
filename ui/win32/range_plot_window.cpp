#include "range_plot_window.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "dpi_scale.h"
#include "range_plot_layout.h"
#include "wide_text.h"

namespace kv::ui::win32 {

namespace {

constexpr wchar_t kPlotClass[] = L"KV7700RangePlot";
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED, Windows 8.1 on

bool SystemHighContrast() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof(contrast);
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

HighContrastQuery g_highContrast = &SystemHighContrast;

int Round(double pixels) {
  return static_cast<int>(std::lround(pixels));
}

COLORREF ColorOf(PlotColor color) {
  return RGB(color.red, color.green, color.blue);
}

PlotColor PlotColorOf(COLORREF color) {
  return {GetRValue(color), GetGValue(color), GetBValue(color)};
}

RECT RectOf(const PlotLabel& label) {
  return {Round(label.left), Round(label.top), Round(label.left + label.width),
          Round(label.top + label.height)};
}

void DrawLabel(HDC dc, const PlotLabel& label, UINT align) {
  RECT box = RectOf(label);
  const std::wstring text = Widen(label.text);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
            align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP);
}

void FillBox(HDC dc, const RECT& box, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &box, brush);
  DeleteObject(brush);
}

// A pen as wide as the layout asks, dashed or solid, ends cut square.
HPEN MakePen(double width, COLORREF color, bool dashed) {
  LOGBRUSH brush{BS_SOLID, color, 0};
  const DWORD style = PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_JOIN_ROUND | (dashed ? PS_DASH : PS_SOLID);
  return ExtCreatePen(style, static_cast<DWORD>(std::max(1, Round(width))), &brush, 0, nullptr);
}

}  // namespace

void SetHighContrastQuery(HighContrastQuery query) {
  g_highContrast = query ? query : &SystemHighContrast;
}

PlotPalette CurrentPlotPalette() {
  if (g_highContrast()) {
    // Pairs the theme sets against each other: window text and highlight on
    // the window's background, grey text for what matters less.
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    return {GetSysColor(COLOR_WINDOW),   text, text, GetSysColor(COLOR_HIGHLIGHT), text,
            GetSysColor(COLOR_GRAYTEXT), false};
  }
  return {GetSysColor(COLOR_WINDOW),
          GetSysColor(COLOR_WINDOWTEXT),
          GetSysColor(COLOR_BTNSHADOW),
          ColorOf(kPlotInRangeColor),
          ColorOf(kPlotOutOfRangeColor),
          ColorOf(kPlotThresholdColor),
          true};
}

RangePlotWindow::~RangePlotWindow() {
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  if (font_) {
    DeleteObject(font_);
  }
}

bool RangePlotWindow::Create(HWND sheet) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  // Every pixel is painted, so no background brush: nothing erased first.
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = &PlotProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(128));
  windowClass.lpszClassName = kPlotClass;
  if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }
  sheet_ = sheet;
  const std::wstring title = Widen(kPlotWindowTitle);
  // Owned, so it goes with the sheet; an application window all the same,
  // so Alt+Tab and the taskbar reach it.
  window_ = CreateWindowExW(WS_EX_APPWINDOW, kPlotClass, title.c_str(),
                            WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, CW_USEDEFAULT, CW_USEDEFAULT,
                            RangePlotLayout::kWidth, RangePlotLayout::kHeight, sheet, nullptr,
                            instance, nullptr);
  if (!window_) {
    return false;
  }
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  names_.Name(window_, title);
  TellReaders();
  TakeDpi(WindowDpi(window_));
  SetClientSize(Round(scale_ * RangePlotLayout::kWidth), Round(scale_ * RangePlotLayout::kHeight));
  return true;
}

void RangePlotWindow::TakeDpi(UINT dpi) {
  scale_ = static_cast<double>(dpi) / kBaseDpi;
  const LOGFONTW message = MessageFontForDpi(dpi);
  if (font_) {
    DeleteObject(font_);
  }
  font_ = CreateFontIndirectW(&message);
}

void RangePlotWindow::TellReaders() {
  names_.Value(window_, Widen(plot_.StatusText()));
}

void RangePlotWindow::SetClientSize(int width, int height) {
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RangePlotWindow::PlaceBesideSheet() {
  if (placed_ || !sheet_) {
    return;
  }
  placed_ = true;
  RECT sheet{};
  RECT frame{};
  GetWindowRect(sheet_, &sheet);
  GetWindowRect(window_, &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(sheet_, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const PlotPoint at = PlacePlotBesideSheet(
      {sheet.left, sheet.top, sheet.right - sheet.left, sheet.bottom - sheet.top},
      frame.right - frame.left, frame.bottom - frame.top,
      {work.left, work.top, work.right - work.left, work.bottom - work.top}, scale_);
  SetWindowPos(window_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RangePlotWindow::ShowPlot() {
  if (!window_) {
    return;
  }
  PlaceBesideSheet();
  // Shown without taking the keyboard from the sheet, where the user works.
  SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void RangePlotWindow::Open() {
  ShowPlot();
  if (window_) {
    SetForegroundWindow(window_);
  }
}

void RangePlotWindow::Hide() {
  if (!window_) {
    return;
  }
  const bool hadKeyboard = GetActiveWindow() == window_;
  ShowWindow(window_, SW_HIDE);
  if (hadKeyboard && sheet_) {
    SetForegroundWindow(sheet_);
  }
}

void RangePlotWindow::PlotChanged() {
  if (window_) {
    InvalidateRect(window_, nullptr, FALSE);
    TellReaders();
  }
}

void RangePlotWindow::PaintBuffered() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window_, &paint);
  RECT client{};
  GetClientRect(window_, &client);
  HDC buffer = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
  if (buffer && bitmap) {
    HGDIOBJ old = SelectObject(buffer, bitmap);
    Paint(buffer, client.right, client.bottom);
    BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
    SelectObject(buffer, old);
  } else {
    Paint(dc, client.right, client.bottom);  // out of memory: flicker rather than nothing
  }
  if (bitmap) {
    DeleteObject(bitmap);
  }
  if (buffer) {
    DeleteDC(buffer);
  }
  EndPaint(window_, &paint);
}

void RangePlotWindow::Paint(HDC dc, int width, int height) {
  const int saved = SaveDC(dc);
  const RangePlotLayout layout(plot_, width, height, scale_);
  const PlotPalette& colors = palette_;
  const PlotColor background = PlotColorOf(colors.background);
  const COLORREF text = colors.text;
  const RECT all{0, 0, width, height};
  FillBox(dc, all, ColorOf(background));
  SetBkMode(dc, TRANSPARENT);
  if (font_) {
    SelectObject(dc, font_);
  }
  const PlotBox& box = layout.Area();
  const RECT area{box.left, box.top, box.Right() + 1, box.Bottom() + 1};

  // Status line: the newest reading as the Misc. page shows it, or why
  // there is none.
  const std::optional<RangeSample> latest = plot_.Latest();
  SetTextColor(dc, latest && latest->inRange ? colors.inRange : text);
  const PlotBox& status = layout.StatusBox();
  DrawLabel(dc,
            {plot_.StatusText(), static_cast<double>(status.left), static_cast<double>(status.top),
             static_cast<double>(status.width), static_cast<double>(status.height)},
            DT_LEFT | DT_END_ELLIPSIS);

  // In-range band and the two detection distances.
  const std::vector<RangePlotLayout::Threshold> lines = layout.Thresholds();
  if (!lines.empty()) {
    if (colors.band) {
      const RECT band{area.left, Round(lines[1].y), area.right, Round(lines[0].y) + 1};
      FillBox(dc, band, ColorOf(BlendPlotColor(kPlotInRangeColor, background, kPlotBandAlpha)));
    }
    HPEN pen = MakePen(layout.Scaled(RangePlotLayout::kLineWidth), colors.threshold, true);
    HGDIOBJ old = SelectObject(dc, pen);
    SetTextColor(dc, colors.threshold);
    for (const RangePlotLayout::Threshold& line : lines) {
      MoveToEx(dc, area.left, Round(line.y), nullptr);
      LineTo(dc, area.right, Round(line.y));
      DrawLabel(dc, line.label, DT_LEFT);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
  }

  // Axes: inches up the side, seconds along the bottom.
  HBRUSH frame = CreateSolidBrush(colors.frame);
  FrameRect(dc, &area, frame);
  DeleteObject(frame);
  SetTextColor(dc, text);
  for (const PlotLabel& label : layout.InchLabels()) {
    DrawLabel(dc, label, DT_RIGHT);
  }
  for (const PlotLabel& label : layout.TimeLabels()) {
    DrawLabel(dc, label, DT_CENTER);
  }

  // The distance: a line broken where readings failed, a dot per reading,
  // green while in range.
  const int margin = Round(layout.Scaled(4));
  IntersectClipRect(dc, area.left - margin, area.top - margin, area.right + margin,
                    area.bottom + margin);
  HPEN linePen = MakePen(layout.Scaled(RangePlotLayout::kLineWidth), text, false);
  HGDIOBJ oldPen = SelectObject(dc, linePen);
  std::vector<POINT> run;
  const auto drawRun = [&] {
    if (run.size() > 1) {
      Polyline(dc, run.data(), static_cast<int>(run.size()));
    }
    run.clear();
  };
  for (const RangeSample& sample : plot_.Samples()) {
    if (!sample.valid) {
      drawRun();
      continue;
    }
    run.push_back({Round(layout.X(sample.atMs)), Round(layout.Y(sample.inches))});
  }
  drawRun();
  SelectObject(dc, GetStockObject(NULL_PEN));
  DeleteObject(linePen);
  const double radius = layout.Scaled(RangePlotLayout::kDotRadius);
  HBRUSH inRange = CreateSolidBrush(colors.inRange);
  HBRUSH outOfRange = CreateSolidBrush(colors.outOfRange);
  for (const RangeSample& sample : plot_.Samples()) {
    if (sample.valid) {
      SelectObject(dc, sample.inRange ? inRange : outOfRange);
      const double x = layout.X(sample.atMs);
      const double y = layout.Y(sample.inches);
      Ellipse(dc, Round(x - radius), Round(y - radius), Round(x + radius) + 1,
              Round(y + radius) + 1);
    }
  }
  SelectObject(dc, oldPen);
  RestoreDC(dc, saved);
  DeleteObject(inRange);
  DeleteObject(outOfRange);
}

LRESULT CALLBACK RangePlotWindow::PlotProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  auto* plot = reinterpret_cast<RangePlotWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!plot) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return plot->Handle(message, wParam, lParam);
}

LRESULT RangePlotWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers it
    case WM_PAINT:
      PaintBuffered();
      return 0;
    case WM_PRINTCLIENT: {
      RECT client{};
      GetClientRect(window_, &client);
      Paint(reinterpret_cast<HDC>(wParam), client.right, client.bottom);
      return 0;
    }
    case WM_CLOSE:
      // Closed by the user: hidden, until Auto GetRange starts again or the
      // sheet's menu opens it.
      Hide();
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        Hide();
        return 0;
      }
      break;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
      // High contrast turned on or off, or the theme's colours changed.
      palette_ = CurrentPlotPalette();
      InvalidateRect(window_, nullptr, FALSE);
      break;
    case WM_GETMINMAXINFO: {
      RECT frame{0, 0, Round(scale_ * RangePlotLayout::kMinWidth),
                 Round(scale_ * RangePlotLayout::kMinHeight)};
      AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
      return 0;
    }
    case kDpiChanged: {
      // Moved to a screen of another DPI: the size the system suggests, the
      // font and the lines for it.
      TakeDpi(HIWORD(wParam));
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      InvalidateRect(window_, nullptr, FALSE);
      return 0;
    }
    case WM_NCDESTROY: {
      // With the sheet, its owner.
      HWND gone = window_;
      names_.Clear();
      SetWindowLongPtrW(gone, GWLP_USERDATA, 0);
      window_ = nullptr;
      return DefWindowProcW(gone, message, wParam, lParam);
    }
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace kv::ui::win32
