// What a screen reader hears for each control of the four pages, asked of
// oleacc as a reader asks it.
#include "accessible_names.h"

#include <gtest/gtest.h>
#include <kv7700/system_dlls.h>
// clang-format off
#include <oleacc.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "accessible_name_table.h"
#include "system_functions.h"
#include "wide_text.h"
#include "win32_fixture.h"

namespace kv::ui::win32 {
namespace {

std::string ReaderName(HWND control) {
  IAccessible* object = nullptr;
  const auto ask = Oleacc().accessibleObjectFromWindow;
  if (!ask || FAILED(ask(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                         reinterpret_cast<void**>(&object)))) {
    return "(no object)";
  }
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  object->get_accName(self, &name);
  const std::string text = name ? Narrow(std::wstring(name, SysStringLen(name))) : std::string();
  SysFreeString(name);
  object->Release();
  return text;
}

// What oleacc's annotation store answers when asked to keep a name.
HRESULT AnnotationStoreAnswer() {
  IAccPropServices* store = nullptr;
  HRESULT answer = CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IAccPropServices, reinterpret_cast<void**>(&store));
  if (FAILED(answer)) {
    return answer;
  }
  HWND scratch = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  answer = store->SetHwndPropStr(scratch, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                 PROPID_ACC_NAME, L"probe");
  DestroyWindow(scratch);
  store->Release();
  return answer;
}

// The windows whose name changes were announced, as a reader's hook hears.
std::vector<HWND> g_renamed;

void CALLBACK HearNameChange(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                             DWORD) {
  if (object == OBJID_CLIENT && child == CHILDID_SELF) {
    g_renamed.push_back(window);
  }
}

class AccessibleNamesTest : public ::testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override {
    dialogs_.clear();
    CoUninitialize();
  }
  Win32DialogHost& Open(const DialogTemplate& form) {
    dialogs_.push_back(std::make_unique<Win32DialogHost>(form, services_));
    Win32DialogHost& dialog = *dialogs_.back();
    EXPECT_NE(dialog.CreateFreeDialog(nullptr), nullptr) << GetLastError();
    return dialog;
  }

  EventLoop loop_;
  BusyRunner runner_{loop_};
  WindowServices services_{runner_};
  std::vector<std::unique_ptr<Win32DialogHost>> dialogs_;
};

TEST_F(AccessibleNamesTest, EveryControlOfThePagesHasTheLinuxHostsName) {
  std::size_t fieldsFound = 0;
  int annotated = 0;
  int named = 0;
  for (const DialogTemplate& form : DialogTemplates()) {
    Win32DialogHost& dialog = Open(form);
    for (std::size_t i = 0; i < form.controls.size(); ++i) {
      const ControlTemplate& control = form.controls[i];
      SCOPED_TRACE("dialog " + std::to_string(form.id) + " control " + std::to_string(control.id) +
                   " \"" + control.text + "\"");
      const char* expected = control.text.c_str();
      if (control.kind == ControlKind::Edit || control.kind == ControlKind::DropDownList) {
        expected = nullptr;
        for (const auto& row : testing::kFieldAccessibleNames) {
          if (row.templateId == form.id && row.controlId == control.id) {
            expected = row.name;
            ++fieldsFound;
          }
        }
        ASSERT_NE(expected, nullptr) << "a field without a row in the table";
      }
      HWND window = dialog.ControlWindow(i);
      ASSERT_NE(window, nullptr);
      EXPECT_EQ(ReaderName(window), expected);
      annotated += dialog.Names().Annotated(window) ? 1 : 0;
      ++named;
    }
    DestroyWindow(dialog.Window());
  }
  EXPECT_EQ(fieldsFound, testing::kFieldAccessibleNames.size());
  // Which way the names went: where oleacc stores names (Windows), every
  // one is stored, as readers ask the store first; only where it answers
  // E_NOTIMPL (Wine) do the controls' own objects answer.
  const HRESULT store = AnnotationStoreAnswer();
  std::printf("[   INFO   ] %d of %d names stored by oleacc (its answer 0x%08lx)\n", annotated,
              named, static_cast<unsigned long>(store));
  if (store == E_NOTIMPL) {
    EXPECT_EQ(annotated, 0);
  } else {
    EXPECT_EQ(store, S_OK);
    EXPECT_EQ(annotated, named);
  }
}

TEST_F(AccessibleNamesTest, ALabelsNewTextRenamesTheFieldItNamesAndSaysSo) {
  Win32DialogHost& sonar = Open(*FindDialogTemplate(107));
  g_renamed.clear();
  HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, &HearNameChange,
                      GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  sonar.SetText(1067, "Blanking Cycles");
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {  // the hook hears in the loop
    DispatchMessageW(&message);
  }
  UnhookWinEvent(hook);
  EXPECT_NE(std::find(g_renamed.begin(), g_renamed.end(), GetDlgItem(sonar.Window(), 1066)),
            g_renamed.end());
  EXPECT_EQ(ReaderName(GetDlgItem(sonar.Window(), 1066)), "Blanking Cycles");
  // A field's own new value is no name.
  sonar.SetText(1025, "12");
  EXPECT_EQ(ReaderName(GetDlgItem(sonar.Window(), 1025)), "40Kc Cycles");
  DestroyWindow(sonar.Window());
}

// planted.dll lies beside the test program, as a planted DLL lies beside
// kv7700-config.exe: found by the ordinary search, never from the system
// folder, where oleacc.dll is.
TEST(SystemFunctionsTest, SystemDllsComeFromTheSystemFolderOnly) {
  EXPECT_EQ(kv::LoadSystemDll("planted.dll"), nullptr);
  const OleaccFunctions& oleacc = Oleacc();
  EXPECT_NE(oleacc.createStdAccessibleObject, nullptr);
  EXPECT_NE(oleacc.lresultFromObject, nullptr);
  EXPECT_NE(oleacc.accessibleObjectFromWindow, nullptr);
}

}  // namespace
}  // namespace kv::ui::win32
