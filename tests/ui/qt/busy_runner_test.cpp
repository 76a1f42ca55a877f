#include "busy_runner.h"

#include <gtest/gtest.h>
#include <kv7700/clock.h>

#include <QCheckBox>
#include <QTimer>
#include <atomic>
#include <future>
#include <thread>

#include "dorvane_app.h"
#include "property_page.h"
#include "qt_dialog_host.h"
#include "qt_test_app.h"
#include "window_services.h"

namespace kv::ui::qt {
namespace {

// Runs `call` on the window thread from the worker, and waits until it ran.
void OnWindowThread(QObject* context, const std::function<void()>& call) {
  std::promise<void> ran;
  QMetaObject::invokeMethod(
      context,
      [&] {
        call();
        ran.set_value();
      },
      Qt::QueuedConnection);
  ran.get_future().wait();
}

class BusyRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override { SetClock(&clock_); }
  void TearDown() override { SetClock(nullptr); }

  QApplication& application_ = testing::TestApplication();
  VirtualClock clock_;
  BusyRunner runner_;
};

// Work started by an event the window's nested loop takes meanwhile waits its
// turn.
TEST_F(BusyRunnerTest, WorkStartedWhileWorkRunsWaitsItsTurn) {
  QObject context;
  std::atomic<int> inside{0};
  std::atomic<int> most{0};
  std::vector<std::string> order;
  const auto enter = [&](const char* what) {
    most = std::max(most.load(), ++inside);
    order.emplace_back(what);
  };
  std::promise<void> nestedStarted;
  runner_.Run(
      [&] {
        enter("outer");
        QMetaObject::invokeMethod(
            &context,
            [&] {
              nestedStarted.set_value();
              runner_.Run(
                  [&] {
                    enter("inner");
                    --inside;
                  },
                  {});
            },
            Qt::QueuedConnection);
        nestedStarted.get_future().wait();
        --inside;
      },
      {});
  ASSERT_TRUE(testing::ProcessEventsUntil([&] { return order.size() == 2; }));
  EXPECT_EQ(order, (std::vector<std::string>{"outer", "inner"}));
  EXPECT_EQ(most, 1);
}

TEST_F(BusyRunnerTest, TakesNoUserInputWhileWorkRuns) {
  QCheckBox box(QStringLiteral("Halt Key Sends"));
  box.show();
  int clicks = 0;
  QObject::connect(&box, &QCheckBox::clicked, [&] { ++clicks; });
  bool busyMeanwhile = false;
  runner_.Run(
      [&] {
        OnWindowThread(&box, [&] {
          busyMeanwhile = runner_.Busy();
          testing::ClickAsUser(&box);
          testing::TypeAsUser(&box, Qt::Key_Space, QStringLiteral(" "));
        });
      },
      {"work", 0});
  EXPECT_TRUE(busyMeanwhile);
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(box.isChecked());

  testing::ClickAsUser(&box);  // taken again once the work is done
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(box.isChecked());
}

// A page that counts its timer's ticks.
class TickingPage final : public PropertyPage {
 public:
  explicit TickingPage(CDorvaneApp& app) : PropertyPage(app, 110, "Misc.") {}
  int ticks = 0;

 protected:
  void OnTimer(std::uint32_t) override { ++ticks; }
};

TEST_F(BusyRunnerTest, TimerTicksFallingDueDuringWorkAreDropped) {
  CDorvaneApp app;
  app.SetRunner(&runner_);
  WindowServices services(runner_);
  QtDialogHost dialog(*FindDialogTemplate(110), services);
  TickingPage page(app);
  dialog.SetEvents(&page);
  page.Attach(&dialog);
  ASSERT_EQ(dialog.StartTimer(7, 10), 7u);

  // The work lasts until a later window timer has fired: the page's timer
  // fell due several times meanwhile.
  std::promise<void> later;
  QTimer::singleShot(60, &dialog, [&] { later.set_value(); });
  {
    EventGate::Scope running(app.Gate());  // as the application's library calls do
    runner_.Run([&] { later.get_future().wait(); }, {"work", 0});
  }
  EXPECT_EQ(page.ticks, 0);

  ASSERT_TRUE(testing::ProcessEventsUntil([&] { return page.ticks > 0; }));
  dialog.KillTimer(7);
  page.Attach(nullptr);
}

}  // namespace
}  // namespace kv::ui::qt
