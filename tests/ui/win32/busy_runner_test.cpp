// Library work runs off the window thread, one piece at a time, while the
// window thread keeps running its timers; waits spend no real time on a
// virtual clock.
#include "busy_runner.h"

#include <gtest/gtest.h>
#include <kv7700/clock.h>

#include <stdexcept>
#include <thread>

#include "win32_fixture.h"

namespace kv::ui::win32 {
namespace {

int timerTicks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
  ++timerTicks;
}

TEST(Win32BusyRunnerTest, WorkRunsOnTheWorkerWhileTheWindowThreadRunsItsTimers) {
  EventLoop loop;
  BusyRunner runner(loop);
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, &CountTick);
  ASSERT_NE(timer, 0u);
  timerTicks = 0;
  const std::thread::id windowThread = std::this_thread::get_id();
  std::thread::id workThread;
  bool busyMeanwhile = false;
  runner.Run(
      [&] {
        workThread = std::this_thread::get_id();
        Sleep(300);
      },
      {"working", 0});
  KillTimer(nullptr, timer);
  EXPECT_NE(workThread, windowThread);
  EXPECT_GT(timerTicks, 0);  // the window thread did not freeze
  EXPECT_FALSE(runner.Busy());
  runner.Run([&] { busyMeanwhile = true; }, {"again", 0});
  EXPECT_TRUE(busyMeanwhile);
}

TEST(Win32BusyRunnerTest, WhatTheWorkThrowsIsThrownOnTheWindowThread) {
  EventLoop loop;
  BusyRunner runner(loop);
  EXPECT_THROW(runner.Run([] { throw std::runtime_error("gone"); }, {"failing", 0}),
               std::runtime_error);
  bool ran = false;
  runner.Run([&] { ran = true; }, {"after", 0});  // the next work runs as usual
  EXPECT_TRUE(ran);
}

TEST(Win32BusyRunnerTest, WaitsSpendTheirTimeOnTheClockInForce) {
  VirtualClock clock;
  SetClock(&clock);
  EventLoop loop;
  BusyRunner runner(loop);
  runner.Wait(2000);
  runner.Wait(250);
  EXPECT_EQ(clock.SleptMs(), 2250u);
  SetClock(nullptr);
}

class CountingProgress final : public ProgressView {
 public:
  void ShowProgress(const std::string& text, int percent) override {
    lastText = text;
    lastPercent = percent;
    ++shown;
  }
  void HideProgress() override { ++hidden; }
  std::string lastText;
  int lastPercent = -2;
  int shown = 0;
  int hidden = 0;
};

TEST(Win32BusyRunnerTest, LongWorkShowsItsProgressShortWorkDoesNot) {
  EventLoop loop;
  BusyRunner runner(loop);
  CountingProgress progress;
  runner.SetProgressView(&progress);
  runner.Run([] {}, {"quick", 100});
  EXPECT_EQ(progress.shown, 0);
  runner.Run([] { Sleep(250); }, {"Reading the sensor's configuration", 1750});
  EXPECT_GT(progress.shown, 0);
  EXPECT_EQ(progress.lastText, "Reading the sensor's configuration");
  EXPECT_GE(progress.lastPercent, 0);
  EXPECT_LT(progress.lastPercent, 100);
  EXPECT_EQ(progress.hidden, 2);
}

}  // namespace
}  // namespace kv::ui::win32
