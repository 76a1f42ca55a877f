// The dialog manager reads the in-memory templates as the JSON gives them:
// every control of every page, of the right class, where its dialog units
// put it, with its styles.
#include "dialog_bytes.h"

#include <gtest/gtest.h>

#include <string>

#include "win32_fixture.h"

namespace kv::ui::win32 {
namespace {

std::wstring ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::Edit:
      return L"Edit";
    case ControlKind::DropDownList:
      return L"ComboBox";
    case ControlKind::Label:
      return L"Static";
    default:
      return L"Button";
  }
}

std::wstring Widen(const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  wide.resize(length > 0 ? static_cast<std::size_t>(length - 1) : 0);
  return wide;
}

class DialogBytesTest : public ::testing::TestWithParam<int> {};

TEST_P(DialogBytesTest, TheDialogManagerMakesEveryControlWhereItsTemplatePutsIt) {
  const DialogTemplate& form = *FindDialogTemplate(GetParam());
  EventLoop loop;
  BusyRunner runner(loop);
  WindowServices services(runner);
  Win32DialogHost host(form, services);
  HWND dialog = host.CreateFreeDialog(nullptr);
  ASSERT_NE(dialog, nullptr) << GetLastError();

  RECT client{};
  GetClientRect(dialog, &client);
  RECT size{0, 0, form.width, form.height};
  MapDialogRect(dialog, &size);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);

  // Controls come in template order: the tab order.
  HWND child = GetWindow(dialog, GW_CHILD);
  for (const ControlTemplate& control : form.controls) {
    SCOPED_TRACE(control.text + " " + std::to_string(control.id));
    ASSERT_NE(child, nullptr);
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    const std::wstring expectedClass = ClassOf(control.kind);
    EXPECT_EQ(_wcsicmp(name, expectedClass.c_str()), 0) << std::string(name, name + wcslen(name));
    EXPECT_EQ(static_cast<WORD>(GetDlgCtrlID(child)), static_cast<WORD>(control.id));
    // The dialog manager maps the position and the size each on its own.
    RECT at{control.x, control.y, control.width, control.height};
    MapDialogRect(dialog, &at);
    const RECT expected{at.left, at.top, at.left + at.right, at.top + at.bottom};
    RECT actual{};
    GetWindowRect(child, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_GE(actual.right, expected.right);          // one-line texts may grow into free room
    if (control.kind != ControlKind::DropDownList) {  // a closed list sizes itself
      EXPECT_EQ(actual.bottom, expected.bottom);
    }
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    EXPECT_EQ((style & WS_DISABLED) != 0, control.disabled);
    EXPECT_EQ((style & WS_VISIBLE) != 0, !control.hidden);
    if (control.kind == ControlKind::Edit) {
      EXPECT_EQ((style & ES_NUMBER) != 0, control.style.digitsOnly);
      EXPECT_EQ((style & ES_READONLY) != 0, control.style.readOnly);
    } else if (control.kind != ControlKind::DropDownList) {
      // Read from the window itself: most labels share one id.
      wchar_t text[256] = {};
      GetWindowTextW(child, text, 256);
      EXPECT_EQ(std::wstring(text), Widen(control.text));
    }
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr);
  DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(EveryPage, DialogBytesTest, ::testing::Values(107, 108, 109, 110));

}  // namespace
}  // namespace kv::ui::win32
