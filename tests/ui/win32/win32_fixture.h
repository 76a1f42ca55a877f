// A page's dialog made by the platform's dialog manager from its template in
// memory, with a recording page behind it, and the runner it waits on.
#pragma once

#include <gtest/gtest.h>

#include "busy_runner.h"
#include "event_loop.h"
#include "recording_events.h"
#include "win32.h"
#include "win32_dialog_host.h"
#include "window_services.h"

namespace kv::ui::win32 {

// Runs the thread's pending messages.
inline void RunPending() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

class Win32DialogTest : public ::testing::Test {
 protected:
  explicit Win32DialogTest(int templateId = 110)
      : dialog_(*FindDialogTemplate(templateId), services_) {}
  void SetUp() override {
    ASSERT_NE(dialog_.CreateFreeDialog(nullptr), nullptr) << GetLastError();
    dialog_.SetEvents(&events_);
  }
  void TearDown() override {
    if (dialog_.Window()) {
      DestroyWindow(dialog_.Window());
    }
  }
  HWND Control(int id) { return GetDlgItem(dialog_.Window(), id); }

  EventLoop loop_;
  BusyRunner runner_{loop_};
  WindowServices services_{runner_};
  Win32DialogHost dialog_;
  testing::RecordingEvents events_;
};

}  // namespace kv::ui::win32
