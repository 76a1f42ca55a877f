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
  std::wstring Caption() {
    wchar_t caption[128] = {};
    GetWindowTextW(Sheet(), caption, 128);
    return caption;
  }
  // Runs the program's loop, watched handles included (the emulated bus's
  // notifications reach the sheet through it), until the caption names the
  // firmware `firmware` ("4.10"; "0.00" with no sensor), which the sheet
  // shows once it has taken the device change. Gives up after 10 s, so a
  // lost notification fails the test instead of hanging it.
  void RunUntilCaptionShows(const std::wstring& firmware) {
    const auto shown = [&] {
      const std::wstring caption = Caption();
      return caption.size() >= firmware.size() &&
             caption.compare(caption.size() - firmware.size(), firmware.size(), firmware) == 0;
    };
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    int ticks = 0;
    session_->Loop().RunUntil(done, 20, [&] {
      if (shown() || ++ticks > 500) SetEvent(done);
    });
    CloseHandle(done);
    EXPECT_TRUE(shown()) << "the caption still reads " << Caption();
  }

  VirtualClock clock_;
  std::unique_ptr<Program> session_;
  SheetWindow* window_ = nullptr;
  std::vector<std::string> messages_;
};

}  // namespace kv::ui::win32
