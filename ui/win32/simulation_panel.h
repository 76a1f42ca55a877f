// The small window beside the sheet under --simulate: plug emulated sensors
// in and pull them out, and move each one's target nearer or farther.
#pragma once

#include <kv7700/emulation.h>

#include <vector>

#include "event_loop.h"
#include "win32.h"

namespace kv::ui::win32 {

class SimulationPanel {
 public:
  SimulationPanel(emu::SensorSet& simulation, EventLoop& loop);
  ~SimulationPanel();
  SimulationPanel(const SimulationPanel&) = delete;
  SimulationPanel& operator=(const SimulationPanel&) = delete;

  // Makes the window to the right of `sheet` and shows it.
  bool Create(HWND sheet);
  HWND Window() const { return window_; }

 private:
  // Name, plug button, nearer, target slider, farther, distance: left to
  // right.
  struct Row {
    HWND parts[6] = {};
    HWND Plug() const { return parts[1]; }
    HWND Slider() const { return parts[3]; }
    HWND Distance() const { return parts[5]; }
  };
  static LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Command(int id);
  void SliderMoved(int id);
  void AddRow(std::size_t index);
  void ShowPlugged(std::size_t index);
  void ShowTarget(std::size_t index);
  void Layout();
  // The message font at `dpi`, for the panel and every part of it.
  void UseFont(UINT dpi);
  void DpiChanged(UINT dpi, const RECT& suggested);
  HWND Child(const wchar_t* windowClass, const std::wstring& text, DWORD style, int id);

  emu::SensorSet& simulation_;
  EventLoop& loop_;
  HWND window_ = nullptr;
  HWND intro_ = nullptr;
  HWND add_ = nullptr;
  HFONT font_ = nullptr;
  int unit_ = 8;  // the font's height in pixels: the layout's measure
  UINT dpi_ = 96;
  std::vector<Row> rows_;
};

}  // namespace kv::ui::win32
