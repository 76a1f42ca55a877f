// The sheet at the screen's dpi (tests/windows/accessibility.sh runs this at
// 144 and 192 dpi as well): every control where its dialog units put it,
// every text whole, the strip placed by its rules at that dpi.
#include <gtest/gtest.h>
#include <kv7700/clock.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "dpi_scale.h"
#include "program.h"
#include "sheet_window.h"
#include "simulated_sheet_fixture.h"
#include "wide_text.h"

namespace kv::ui::win32 {
namespace {

// The whole test program is aware of the dpi, as the configurator's
// manifest makes it.
class PerMonitorAware : public ::testing::Environment {
 public:
  void SetUp() override {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto set = reinterpret_cast<SetContext>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
    if (set) {
      set(reinterpret_cast<HANDLE>(-4));  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    }
  }
};
[[maybe_unused]] const auto* const kPerMonitorAware =
    ::testing::AddGlobalTestEnvironment(new PerMonitorAware);

RECT ChildRect(HWND parent, HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// How much of a control's width its text may take: a box's glyph and a
// button's edges take the rest.
int TextRoom(const ControlTemplate& control, int width, UINT dpi) {
  switch (control.kind) {
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::GroupBox:
      return width - ScaleToDpi(16, dpi);
    case ControlKind::PushButton:
      return width - ScaleToDpi(4, dpi);
    default:
      return width;
  }
}

// The text's size in the control's font, wrapped where a label wraps.
SIZE TextSize(HWND control, const ControlTemplate& form, int room) {
  HDC dc = GetDC(control);
  auto* font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  const std::wstring text = Widen(form.text);
  RECT area{0, 0, room, 0};
  const UINT lines = form.kind == ControlKind::Label ? DT_WORDBREAK : DT_SINGLELINE;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_CALCRECT | lines);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return {area.right, area.bottom};
}

using SheetDpiTest = SimulatedSheetTest;

TEST_F(SheetDpiTest, ControlsSitWhereTheirDialogUnitsPutThemAndEveryTextIsWhole) {
  SheetWindow& sheet = *session_->Window();
  const UINT dpi = WindowDpi(sheet.Window());
  if (const char* expected = std::getenv("KV_EXPECT_DPI")) {
    ASSERT_EQ(dpi, static_cast<UINT>(std::atoi(expected)));
  }
  std::printf("[   INFO   ] at %u dpi\n", dpi);
  for (int page = 0; page < 4; ++page) {
    Win32DialogHost& dialog = *sheet.PageDialog(page);
    const DialogTemplate& form = dialog.Template();
    // The page's font, and with it its dialog units, at the screen's dpi.
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog.Window(), WM_GETFONT, 0, 0)),
               sizeof(font), &font);
    EXPECT_EQ(std::abs(font.lfHeight), MulDiv(form.fontPointSize, static_cast<int>(dpi), 72));
    for (std::size_t i = 0; i < form.controls.size(); ++i) {
      const ControlTemplate& control = form.controls[i];
      SCOPED_TRACE("dialog " + std::to_string(form.id) + " control " + std::to_string(control.id) +
                   " \"" + control.text + "\"");
      HWND window = dialog.ControlWindow(i);
      ASSERT_NE(window, nullptr);
      RECT units{control.x, control.y, control.x + control.width, control.y + control.height};
      MapDialogRect(dialog.Window(), &units);
      const RECT place = ChildRect(dialog.Window(), window);
      EXPECT_NEAR(place.left, units.left, 1);
      EXPECT_NEAR(place.top, units.top, 1);
      EXPECT_GE(place.right, units.right - 1);          // one-line texts may grow into free room
      if (control.kind != ControlKind::DropDownList) {  // its own height when closed
        EXPECT_NEAR(place.bottom, units.bottom, 1);
      }
      if (control.text.empty() || control.kind == ControlKind::Edit) {
        continue;
      }
      const int room = TextRoom(control, place.right - place.left, dpi);
      const SIZE text = TextSize(window, control, room);
      EXPECT_LE(text.cx, room);
      if (control.kind == ControlKind::Label) {
        EXPECT_LE(text.cy, place.bottom - place.top);
      }
    }
  }
  // The strip's rules are in pixels at 96 dpi.
  HWND halt = GetDlgItem(sheet.Window(), kIdHaltKeySends);
  const RECT box = ChildRect(sheet.Window(), halt);
  const RECT ok = ChildRect(sheet.Window(), GetDlgItem(sheet.Window(), IDOK));
  RECT client{};
  GetClientRect(sheet.Window(), &client);
  EXPECT_EQ(box.left, ScaleToDpi(10, dpi));
  EXPECT_EQ(box.bottom, client.bottom - ScaleToDpi(8, dpi));
  EXPECT_EQ(box.bottom - box.top, ok.bottom - ok.top);
  ControlTemplate haltForm;
  haltForm.kind = ControlKind::CheckBox;
  haltForm.text = "Halt Key Sends";
  const int room = TextRoom(haltForm, box.right - box.left, dpi);
  EXPECT_LE(TextSize(halt, haltForm, room).cx, room);
}

}  // namespace
}  // namespace kv::ui::win32
