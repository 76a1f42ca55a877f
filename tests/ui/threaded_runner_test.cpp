// Library work on the worker thread and the progress it shows, the same for
// every host: here on the in-memory runner and the virtual clock.
#include "threaded_runner.h"

#include <gtest/gtest.h>
#include <kv7700/clock.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "memory_runner.h"
#include "work_progress.h"

namespace kv::ui {
namespace {

// Notes what the strip is told, one line each.
class RecordingView final : public ProgressView {
 public:
  void ShowProgress(const std::string& text, int percent) override {
    log.push_back(text + " " + std::to_string(percent));
  }
  void HideProgress() override { log.emplace_back("hide"); }
  void StartLinger(std::uint32_t ms) override { log.push_back("linger " + std::to_string(ms)); }
  std::vector<std::string> log;
};

class BusyWorkTest : public ::testing::Test {
 protected:
  void SetUp() override { SetClock(&clock); }
  void TearDown() override { SetClock(nullptr); }

  VirtualClock clock;
  RecordingView view;
};

TEST_F(BusyWorkTest, ProgressShowsForLongWorkOnly) {
  struct Case {
    const char* name;
    Activity activity;
    std::vector<std::uint32_t> ticksAtMs;  // since the work began
    std::vector<std::string> log;
  };
  const Case cases[] = {
      {"short work shows nothing", {"Storing", 100}, {50, 999}, {}},
      {"unknown length shows after a second, without a share",
       {"", 0},
       {900, 1000},
       {"Working -1", "linger 300"}},
      {"expected long shows at once, then its share, then overrun",
       {"Reading", 2000},
       {1000, 2500},
       {"Reading 0", "Reading 50", "Reading -1", "linger 300"}},
  };
  for (const Case& c : cases) {
    view.log.clear();
    WorkProgress progress;
    progress.SetView(&view);
    const std::uint64_t began = clock.NowMs();
    progress.Begin(c.activity);
    for (std::uint32_t at : c.ticksAtMs) {
      clock.Advance(began + at - clock.NowMs());
      progress.Tick();
    }
    progress.End();
    EXPECT_EQ(view.log, c.log) << c.name;
  }
}

TEST_F(BusyWorkTest, TheStripLingersBetweenWorkAndHidesAfterTheLast) {
  WorkProgress progress;
  progress.SetView(&view);
  progress.Begin({"Opening", 3000});
  progress.Begin({"Quick", 10});  // nested: the outer work still runs
  progress.End();
  progress.End();
  progress.Begin({"Next", 3000});  // follows within the linger
  progress.LingerOver();           // the first linger ran out meanwhile
  progress.End();
  progress.LingerOver();
  EXPECT_EQ(view.log,
            (std::vector<std::string>{"Opening 0", "linger 300", "Next 0", "linger 300", "hide"}));
}

TEST_F(BusyWorkTest, WorkRunsOnTheWorkerOneAtATimeAndFailuresComeBack) {
  MemoryRunner runner;
  runner.SetProgressView(&view);
  const std::thread::id window = std::this_thread::get_id();
  std::thread::id worker;
  bool busyMeanwhile = false;
  runner.Run(
      [&] {
        worker = std::this_thread::get_id();
        runner.PostToWindow([&] { busyMeanwhile = runner.Busy(); });
      },
      {"work", 0});
  EXPECT_NE(worker, window);
  EXPECT_TRUE(busyMeanwhile);  // what the window ran while the work ran saw it busy
  EXPECT_FALSE(runner.Busy());

  runner.Wait(2000);  // on the virtual clock: no real time
  EXPECT_EQ(clock.SleptMs(), 2000u);
  EXPECT_EQ(view.log, (std::vector<std::string>{"Waiting for the sensor 0", "linger 300"}));

  EXPECT_THROW(runner.Run([] { throw std::runtime_error("gone"); }, {}), std::runtime_error);

  // Work started by an event the window takes meanwhile waits its turn.
  std::atomic<int> inside{0};
  std::atomic<int> most{0};
  std::vector<std::string> order;
  const auto enter = [&](const char* what) {
    most = std::max(most.load(), ++inside);
    order.emplace_back(what);
  };
  std::promise<void> innerAsked;
  runner.Run(
      [&] {
        enter("outer");
        runner.PostToWindow([&] {
          innerAsked.set_value();
          runner.Run(
              [&] {
                enter("inner");
                --inside;
              },
              {});
        });
        innerAsked.get_future().wait();
        --inside;
      },
      {});
  EXPECT_EQ(order, (std::vector<std::string>{"outer", "inner"}));
  EXPECT_EQ(most, 1);
  EXPECT_EQ(runner.BusyBegins(), 4);
  EXPECT_EQ(runner.BusyEnds(), 4);
}

}  // namespace
}  // namespace kv::ui
