#include "monitor_hot_plug_notifier.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

namespace kv::ui {
namespace {

using ::testing::ElementsAre;

class LoggingSink final : public HotPlugSink {
 public:
  void OnDeviceArrival(const std::string& path) override { log.push_back("+" + path); }
  void OnDeviceRemoval(const std::string& path) override { log.push_back("-" + path); }
  std::vector<std::string> log;
};

TEST(MonitorHotPlugNotifierTest, HandsTheMonitorsEventsToTheSinkInOrder) {
  hid::QueuedHotPlugMonitor* queue = nullptr;
  MonitorHotPlugNotifier source([&](int* error) {
    auto monitor = hid::CreateQueuedHotPlugMonitor(error);
    queue = monitor.get();
    return std::unique_ptr<hid::HotPlugMonitor>(std::move(monitor));
  });
  EXPECT_EQ(source.Waitable(), kNoWaitObject);
  LoggingSink sink;
  unsigned long error = 0;
  ASSERT_TRUE(source.Start(sink, &error));
  ASSERT_NE(queue, nullptr);
  EXPECT_NE(source.Waitable(), kNoWaitObject);

  queue->Post({hid::HotPlugEvent::Kind::Added, "/dev/hidraw3"});
  queue->Post({hid::HotPlugEvent::Kind::Removed, "/dev/hidraw1"});
  source.Drain();
  source.Drain();  // nothing more pending
  EXPECT_THAT(sink.log, ElementsAre("+/dev/hidraw3", "-/dev/hidraw1"));
}

TEST(MonitorHotPlugNotifierTest, AMonitorThatCannotStartReportsItsErrorNumber) {
  MonitorHotPlugNotifier source([](int* error) {
    *error = EMFILE;
    return std::unique_ptr<hid::HotPlugMonitor>();
  });
  LoggingSink sink;
  unsigned long error = 0;
  EXPECT_FALSE(source.Start(sink, &error));
  EXPECT_EQ(error, static_cast<unsigned long>(EMFILE));
  EXPECT_EQ(source.Waitable(), kNoWaitObject);
  source.Drain();
  EXPECT_TRUE(sink.log.empty());
}

}  // namespace
}  // namespace kv::ui
