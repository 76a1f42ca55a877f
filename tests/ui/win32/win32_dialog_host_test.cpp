// The notification rules every host keeps, on the platform's own controls.
#include <gmock/gmock.h>

#include <memory>

#include "ui/host_contract.h"
#include "win32_fixture.h"

namespace kv::ui::win32 {
namespace {

using ::testing::ElementsAre;

// The user at a page's dialog, through the messages the controls take from
// the keyboard and the mouse. The mouse reaches no disabled or hidden
// control, as on the screen.
class Win32Driver {
 public:
  static constexpr bool kBusyWindow = true;

  ~Win32Driver() { Close(); }
  DialogHost& Open(int templateId, DialogEvents& events) {
    Close();
    dialog_ = std::make_unique<Win32DialogHost>(*FindDialogTemplate(templateId), services_);
    HWND window = dialog_->CreateFreeDialog(nullptr);
    EXPECT_NE(window, nullptr) << GetLastError();
    ShowWindow(window, SW_SHOWNOACTIVATE);
    dialog_->SetEvents(&events);
    return *dialog_;
  }
  void Type(int id, char c) { SendMessageW(Control(id), WM_CHAR, static_cast<WPARAM>(c), 0); }
  void Click(int id) {
    HWND control = Control(id);
    if (IsWindowEnabled(control) && IsWindowVisible(control)) {
      SendMessageW(control, BM_CLICK, 0, 0);
    }
  }
  void ChooseNext(int id) { SendMessageW(Control(id), WM_KEYDOWN, VK_DOWN, 0); }
  bool AwaitTick(std::uint32_t /*id*/, const std::function<bool()>& arrived, int limitMs) {
    const DWORD started = GetTickCount();
    while (!arrived()) {
      if (GetTickCount() - started >= static_cast<DWORD>(limitMs)) {
        return false;
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      RunPending();
    }
    return true;
  }
  // The window thread runs sent messages while it waits for the work, so
  // input sent from the work reaches the controls then.
  void WhileBusy(const std::function<void()>& user) { runner_.Run(user, {"clicking", 0}); }

 private:
  HWND Control(int id) { return GetDlgItem(dialog_->Window(), id); }
  void Close() {
    if (dialog_ && dialog_->Window()) {
      DestroyWindow(dialog_->Window());
    }
    dialog_.reset();
  }

  EventLoop loop_;
  BusyRunner runner_{loop_};
  WindowServices services_{runner_};
  std::unique_ptr<Win32DialogHost> dialog_;
};

}  // namespace
}  // namespace kv::ui::win32

namespace kv::ui::testing {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, HostContract, win32::Win32Driver);
}  // namespace kv::ui::testing

namespace kv::ui::win32 {
namespace {

class Win32DialogHostTest : public Win32DialogTest {};

TEST_F(Win32DialogHostTest, ModifiedIsToldToTheSheet) {
  std::vector<bool> told;
  dialog_.SetModifiedListener([&](bool modified) { told.push_back(modified); });
  dialog_.SetModified(true);
  EXPECT_TRUE(dialog_.Modified());
  dialog_.SetModified(false);
  EXPECT_THAT(told, ElementsAre(true, false));
}

}  // namespace
}  // namespace kv::ui::win32
