// A smoke run of the Walk-Away and Walk-To pages in the Qt window: the user
// picks a key and presses Apply; a write the sensor refuses is reported and
// the next Apply writes it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTabWidget>

#include "one_sensor_window.h"

namespace kv::ui::qt {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct KeyPageCase {
  const char* name;
  int tab;
  std::size_t codesBlock;  // the sensor's block of the page's key codes
  const char* writeFailure;
};

void PrintTo(const KeyPageCase& c, std::ostream* out) {
  *out << c.name;
}

class KeyPagesQtTest : public testing::OneSensorWindowTest<::testing::TestWithParam<KeyPageCase>> {
 protected:
  std::uint8_t SensorCode1() {
    std::lock_guard lock(Sensor().Mutex());
    return Sensor().Working()[GetParam().codesBlock][2];
  }
};

TEST_P(KeyPagesQtTest, AChosenKeyReachesTheSensorOnApplyAndAFailedWriteIsRetried) {
  window->Tabs()->setCurrentIndex(GetParam().tab);
  QtDialogHost* page = window->PageDialog(GetParam().tab);
  ASSERT_NE(page, nullptr);
  EXPECT_FALSE(window->ApplyButton()->isEnabled());

  testing::TypeAsUser(page->Widget(1015), Qt::Key_End);  // "APPS", the last key
  EXPECT_EQ(page->GetText(1011), "101");
  ASSERT_TRUE(window->ApplyButton()->isEnabled());

  Sensor().FailAt(emu::Direction::Set, 2);  // the record's first data report
  testing::ClickAsUser(window->ApplyButton());
  EXPECT_THAT(messages, ElementsAre(GetParam().writeFailure));
  EXPECT_TRUE(window->ApplyButton()->isEnabled()) << "the edit waits for the next Apply";
  EXPECT_NE(SensorCode1(), 0x65);

  messages.clear();
  clock.ResetSlept();
  testing::ClickAsUser(window->ApplyButton());
  EXPECT_THAT(messages, IsEmpty());
  EXPECT_EQ(SensorCode1(), 0x65);
  EXPECT_FALSE(window->ApplyButton()->isEnabled());
  EXPECT_GE(clock.SleptMs(), 1000u);
}

INSTANTIATE_TEST_SUITE_P(
    KeyPages, KeyPagesQtTest,
    ::testing::Values(KeyPageCase{"WalkAway", 0, 2,
                                  "Failed to Write the device Features (WalkAway)!"},
                      KeyPageCase{"WalkTo", 1, 4, "Failed to Write the device Features (WalkUp)!"}),
    [](const ::testing::TestParamInfo<KeyPageCase>& info) { return info.param.name; });

}  // namespace
}  // namespace kv::ui::qt
