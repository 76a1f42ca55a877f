// Library work runs off the window thread while the window thread keeps
// running its timers and messages.
#include "busy_runner.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "win32_fixture.h"

namespace kv::ui::win32 {
namespace {

std::promise<void>* timerFired = nullptr;
void CALLBACK SignalTick(HWND, UINT, UINT_PTR, DWORD) {
  if (timerFired) {
    timerFired->set_value();
    timerFired = nullptr;
  }
}

TEST(Win32BusyRunnerTest, WorkRunsOnTheWorkerWhileTheWindowThreadRunsItsTimers) {
  EventLoop loop;
  BusyRunner runner(loop);
  std::promise<void> fired;
  timerFired = &fired;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, &SignalTick);
  ASSERT_NE(timer, 0u);
  const std::thread::id windowThread = std::this_thread::get_id();
  std::thread::id workThread;
  bool busyMeanwhile = false;
  // The work ends only once the window thread has run its timer.
  runner.Run(
      [&] {
        workThread = std::this_thread::get_id();
        busyMeanwhile = runner.Busy();
        fired.get_future().wait();
      },
      {"working", 0});
  KillTimer(nullptr, timer);
  EXPECT_NE(workThread, windowThread);
  EXPECT_TRUE(busyMeanwhile);
  EXPECT_FALSE(runner.Busy());
}

}  // namespace
}  // namespace kv::ui::win32
