// Under --simulate with KV7700_SIMULATE_DENIED=1 the window starts on a
// sensor it may not open, and says so through its message boxes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <kv7700/clock.h>

#include "program.h"
#include "qt_test_app.h"
#include "sheet_window.h"

namespace kv::ui::qt {
namespace {

using ::testing::HasSubstr;

TEST(AccessMessageTest, ADeniedSensorIsNamedAtStartUp) {
  QApplication& application = testing::TestApplication();
  (void)application;
  VirtualClock clock;
  SetClock(&clock);
  qputenv("KV7700_SIMULATE_DENIED", "1");
  std::vector<MessageRequest> messages;
  {
    Options options;
    options.simulate = true;
    options.simulateFiles = {""};
    Program session(options);
    session.Services().SetMessagePresenter([&](QWidget*, const MessageRequest& request) {
      messages.push_back(request);
      return MessageResult::Ok;
    });
    int status = 0;
    ASSERT_TRUE(session.Prepare(&status));
    session.Window()->show();
    session.StartNow();
    EXPECT_EQ(session.Window()->windowTitle().toStdString(),
              session.App().FormatCaption());  // DeviceFW 0.00, and now a reason
  }
  qunsetenv("KV7700_SIMULATE_DENIED");
  SetClock(nullptr);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, "Sensor not accessible");
  EXPECT_THAT(messages[0].text, HasSubstr("/dev/hidraw-emu0, but this user may not open it"));
  EXPECT_THAT(messages[0].text, HasSubstr("sudo udevadm control --reload-rules"));
}

}  // namespace
}  // namespace kv::ui::qt
