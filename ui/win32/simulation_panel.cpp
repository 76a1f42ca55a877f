#include "simulation_panel.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

#include "dpi_scale.h"
#include "wide_text.h"

namespace kv::ui::win32 {

namespace {

constexpr wchar_t kPanelClass[] = L"KV7700SimulationPanel";
constexpr int kNearestInches = 0;
constexpr int kFarthestInches = 120;
constexpr int kStepInches = 6;
constexpr int kGapToSheet = 8;
// Control ids: the add button, then a block of ids per sensor row.
constexpr int kAddId = 100;
constexpr int kRowIdBase = 200;
constexpr int kIdsPerRow = 4;
enum RowPart { kPlug = 0, kNearer = 1, kFarther = 2, kSlider = 3 };

std::wstring TargetText(double inches) {
  return L"Target at " + std::to_wstring(std::lround(inches)) + L" in";
}

}  // namespace

SimulationPanel::SimulationPanel(emu::SensorSet& simulation, EventLoop& loop)
    : simulation_(simulation), loop_(loop) {}

SimulationPanel::~SimulationPanel() {
  if (window_) {
    loop_.RemoveDialog(window_);
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  if (font_) {
    DeleteObject(font_);
  }
}

bool SimulationPanel::Create(HWND sheet) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &PanelProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kPanelClass;
  if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }
  RECT sheetRect{};
  GetWindowRect(sheet, &sheetRect);
  window_ = CreateWindowExW(
      WS_EX_TOOLWINDOW, kPanelClass, L"Emulated sensors", WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
      sheetRect.right + kGapToSheet, sheetRect.top, 100, 100, sheet, nullptr, instance, nullptr);
  if (!window_) {
    return false;
  }
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  UseFont(WindowDpi(window_));
  intro_ = Child(L"STATIC",
                 L"Sensors on an emulated USB bus. Plug them in and out, and move "
                 L"the person in front of each one nearer or farther.",
                 SS_LEFT, -1);
  add_ = Child(L"BUTTON", L"Plug in a new sensor", BS_PUSHBUTTON | WS_TABSTOP, kAddId);
  for (std::size_t i = 0; i < simulation_.Count(); ++i) {
    AddRow(i);
  }
  Layout();
  loop_.AddDialog(window_, false);
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  return true;
}

HWND SimulationPanel::Child(const wchar_t* windowClass, const std::wstring& text, DWORD style,
                            int id) {
  HWND child = CreateWindowExW(0, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0,
                               10, 10, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return child;
}

void SimulationPanel::UseFont(UINT dpi) {
  dpi_ = dpi;
  const LOGFONTW font = MessageFontForDpi(dpi);
  HFONT old = font_;
  font_ = CreateFontIndirectW(&font);
  unit_ = font.lfHeight < 0 ? -font.lfHeight : ScaleToDpi(12, dpi);
  for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  if (old) {
    DeleteObject(old);
  }
}

void SimulationPanel::DpiChanged(UINT dpi, const RECT& suggested) {
  UseFont(dpi);
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();  // sizes the window to its rows
}

void SimulationPanel::AddRow(std::size_t index) {
  const int base = kRowIdBase + static_cast<int>(index) * kIdsPerRow;
  Row row;
  row.parts[0] =
      Child(L"STATIC", L"Sensor " + std::to_wstring(index + 1), SS_LEFT | SS_CENTERIMAGE, -1);
  row.parts[1] = Child(L"BUTTON", L"", BS_PUSHBUTTON | WS_TABSTOP, base + kPlug);
  row.parts[2] = Child(L"BUTTON", L"Nearer", BS_PUSHBUTTON | WS_TABSTOP, base + kNearer);
  row.parts[3] = Child(TRACKBAR_CLASSW, L"", TBS_HORZ | TBS_NOTICKS | WS_TABSTOP, base + kSlider);
  SendMessageW(row.parts[3], TBM_SETRANGE, FALSE, MAKELPARAM(kNearestInches, kFarthestInches));
  SendMessageW(row.parts[3], TBM_SETPAGESIZE, 0, kStepInches);
  row.parts[4] = Child(L"BUTTON", L"Farther", BS_PUSHBUTTON | WS_TABSTOP, base + kFarther);
  row.parts[5] = Child(L"STATIC", L"", SS_LEFT | SS_CENTERIMAGE, -1);
  rows_.push_back(row);
  ShowPlugged(index);
  ShowTarget(index);
}

void SimulationPanel::Layout() {
  // A grid in the font's measure: name, plug, nearer, farther, distance.
  const int margin = unit_;
  const int rowHeight = unit_ * 2;
  const int inset = ScaleToDpi(4, dpi_);
  const int widths[] = {unit_ * 5, unit_ * 6, unit_ * 5, unit_ * 12, unit_ * 5, unit_ * 8};
  int rowWidth = 0;
  for (int width : widths) {
    rowWidth += width + unit_ / 2;
  }
  int y = margin;
  MoveWindow(intro_, margin, y, rowWidth, unit_ * 3, TRUE);
  y += unit_ * 3 + unit_ / 2;
  for (const Row& row : rows_) {
    int x = margin;
    for (std::size_t part = 0; part < std::size(row.parts); ++part) {
      MoveWindow(row.parts[part], x, y, widths[part], rowHeight - inset, TRUE);
      x += widths[part] + unit_ / 2;
    }
    y += rowHeight;
  }
  MoveWindow(add_, margin, y + unit_ / 2, unit_ * 11, rowHeight - inset, TRUE);
  y += rowHeight + unit_ / 2 + margin;
  RECT client{0, 0, margin * 2 + rowWidth, y};
  AdjustWindowRectEx(&client, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
  SetWindowPos(window_, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SimulationPanel::ShowPlugged(std::size_t index) {
  SetWindowTextW(rows_[index].Plug(), simulation_.PluggedIn(index) ? L"Pull out" : L"Plug in");
}

void SimulationPanel::ShowTarget(std::size_t index) {
  const double inches = simulation_.TargetInches(index);
  SetWindowTextW(rows_[index].Distance(), TargetText(inches).c_str());
  SendMessageW(rows_[index].Slider(), TBM_SETPOS, TRUE, std::lround(inches));
}

void SimulationPanel::SliderMoved(int id) {
  const auto index = static_cast<std::size_t>((id - kRowIdBase) / kIdsPerRow);
  if (id < kRowIdBase || index >= rows_.size()) {
    return;
  }
  const LRESULT inches = SendMessageW(rows_[index].Slider(), TBM_GETPOS, 0, 0);
  simulation_.MoveTarget(index, static_cast<double>(inches));
  ShowTarget(index);
}

void SimulationPanel::Command(int id) {
  if (id == kAddId) {
    AddRow(simulation_.AddSensor());
    Layout();
    return;
  }
  if (id < kRowIdBase) {
    return;
  }
  const auto index = static_cast<std::size_t>((id - kRowIdBase) / kIdsPerRow);
  if (index >= rows_.size()) {
    return;
  }
  const double inches = simulation_.TargetInches(index);
  switch ((id - kRowIdBase) % kIdsPerRow) {
    case kPlug:
      if (simulation_.PluggedIn(index)) {
        simulation_.PullOut(index);
      } else {
        simulation_.PlugIn(index);
      }
      ShowPlugged(index);
      break;
    case kNearer:
      simulation_.MoveTarget(index, std::max<double>(kNearestInches, inches - kStepInches));
      ShowTarget(index);
      break;
    case kFarther:
      simulation_.MoveTarget(index, std::min<double>(kFarthestInches, inches + kStepInches));
      ShowTarget(index);
      break;
    default:
      break;
  }
}

LRESULT CALLBACK SimulationPanel::PanelProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  auto* panel = reinterpret_cast<SimulationPanel*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_COMMAND:
      if (panel && HIWORD(wParam) == BN_CLICKED) {
        panel->Command(LOWORD(wParam));
      }
      return 0;
    case WM_HSCROLL:
      if (panel && lParam != 0) {
        panel->SliderMoved(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
      }
      return 0;
    case WM_DPICHANGED:
      if (panel) {
        panel->DpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      }
      return 0;
    case WM_CLOSE:
      ShowWindow(window, SW_HIDE);  // the program ends with the sheet, not here
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace kv::ui::win32
