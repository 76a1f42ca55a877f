// Keeps the keyboard in the window through a handler. The logic may disable
// the control that has the focus (a field it is about to refresh, a button
// that starts work), and a disabled control loses the focus to nothing: the
// keyboard would then reach no control until the user clicks. When the
// handler ends with the focus nowhere, it returns to where it was, or to the
// next control that can take it.
#pragma once

#include "win32.h"

namespace kv::ui::win32 {

class FocusKeeper {
 public:
  // `dialog`: the top-level dialog whose controls the focus may go to.
  explicit FocusKeeper(HWND dialog) : dialog_(dialog), saved_(GetFocus()) {}
  ~FocusKeeper() {
    if (GetFocus() != nullptr || !IsWindow(dialog_) || !IsWindowVisible(dialog_)) {
      return;
    }
    if (saved_ && IsWindow(saved_) && IsWindowEnabled(saved_) && IsWindowVisible(saved_)) {
      SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(saved_), TRUE);
    } else {
      SendMessageW(dialog_, WM_NEXTDLGCTL, 0, FALSE);
    }
  }
  FocusKeeper(const FocusKeeper&) = delete;
  FocusKeeper& operator=(const FocusKeeper&) = delete;

 private:
  HWND dialog_;
  HWND saved_;
};

}  // namespace kv::ui::win32
