// The whole native program on one emulated sensor, on virtual time: the sheet
// started up as the user first sees it, message boxes recorded.
#pragma once

#include <gtest/gtest.h>
#include <kv7700/clock.h>

#include <memory>
#include <string>
#include <vector>

#include "program.h"
#include "sheet_window.h"
#include "win32_fixture.h"

namespace kv::ui::win32 {

class SimulatedSheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClock(&clock_);
    Options options;
    options.simulate = true;
    options.simulateFiles = {""};
    session_ = std::make_unique<Program>(options);
    session_->Services().SetMessagePresenter([this](HWND, const MessageRequest& request) {
      messages_.push_back(request.text);
      return MessageResult::Ok;
    });
    int status = 0;
    ASSERT_TRUE(session_->Prepare(&status));
    window_ = session_->Window();
    window_->StartUp();
    RunPending();
  }
  void TearDown() override {
    session_.reset();
    SetClock(nullptr);
  }
  HWND Sheet() { return window_->Window(); }
  // Runs the program's loop, watched handles included, for `ms` of real time
  // (the emulated bus's notifications reach the sheet through it).
  void RunFor(int ms) {
    HANDLE timer = CreateWaitableTimerW(nullptr, TRUE, nullptr);
    LARGE_INTEGER due{};
    due.QuadPart = -10'000LL * ms;
    SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
    session_->Loop().RunUntil(timer, 20, {});
    CloseHandle(timer);
  }

  VirtualClock clock_;
  std::unique_ptr<Program> session_;
  SheetWindow* window_ = nullptr;
  std::vector<std::string> messages_;
};

}  // namespace kv::ui::win32
