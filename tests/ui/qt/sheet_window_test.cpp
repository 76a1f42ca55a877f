#include "sheet_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <csignal>
#include <functional>

#include "one_sensor_window.h"
#include "quit_signals.h"

namespace kv::ui::qt {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The configurator on one emulated sensor, on virtual time.
class SheetWindowTest : public testing::OneSensorWindowTest<> {
 protected:
  // The key-send commands the sensor received, in order.
  std::vector<int> KeySendCommands() {
    std::vector<int> commands;
    for (const emu::TraceEntry& entry : Sensor().TraceCopy()) {
      if (entry.direction == emu::Direction::Set && (entry.bytes[1] & 0xFE) == 0xB0) {
        commands.push_back(entry.bytes[1]);
      }
    }
    return commands;
  }
};

TEST_F(SheetWindowTest, StartsWithTheSensorsFirmwareInTheCaptionAndEveryPage) {
  EXPECT_EQ(window->windowTitle(),
            QStringLiteral("KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 4.10"));
  EXPECT_THAT(messages, IsEmpty());
  // Reading the sensor takes longer than a second: the window showed how it
  // went, and the strip goes once the work is done.
  EXPECT_TRUE(window->ProgressShowing());
  EXPECT_FALSE(window->ProgressText().empty());
  EXPECT_TRUE(testing::ProcessEventsUntil([&] { return !window->ProgressShowing(); }));
  ASSERT_EQ(window->Tabs()->count(), 4);
  const char* const titles[] = {"Walk-Away", "Walk-To", "Sonar", "Misc."};
  for (int page = 0; page < 4; ++page) {
    EXPECT_EQ(window->Tabs()->tabText(page), QString::fromLatin1(titles[page]));
    EXPECT_NE(window->PageDialog(page), nullptr) << "every page exists before the user looks";
  }
  EXPECT_EQ(window->Tabs()->currentIndex(), 0);
  EXPECT_FALSE(window->ApplyButton()->isEnabled());
  EXPECT_FALSE(window->HaltKeySendsBox()->isChecked());
  EXPECT_EQ(window->HaltKeySendsBox()->accessibleDescription(), QStringLiteral("id 1025"));
  EXPECT_FALSE(window->windowIcon().isNull());
  EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);

  // A page marked modified enables Apply.
  window->PageDialog(2)->SetModified(true);
  EXPECT_TRUE(window->ApplyButton()->isEnabled());
  window->PageDialog(2)->SetModified(false);
  EXPECT_FALSE(window->ApplyButton()->isEnabled());
}

TEST_F(SheetWindowTest, FollowsTheSensorOutAndBackInThroughTheHotPlugMonitor) {
  emu::SensorSet& simulation = *session->Emulation();
  simulation.PullOut(0);
  ASSERT_TRUE(testing::ProcessEventsUntil([&] {
    return window->windowTitle() ==
           QStringLiteral("KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 0.00");
  }));
  Sensor().SetFirmwareVersion(0x0144);
  simulation.PlugIn(0);
  ASSERT_TRUE(testing::ProcessEventsUntil([&] {
    return window->windowTitle() ==
           QStringLiteral("KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 1.44");
  }));
  EXPECT_THAT(messages, IsEmpty());
}

// Every way the sheet can end while the user has halted the key sends.
struct WayOut {
  const char* name;
  std::function<void(SheetWindow&)> take;
  bool endsProgram = false;  // no pause follows the resume
};

void Raise(int signal) {
  ::raise(signal);
  for (int turns = 0; turns < 100; ++turns) QApplication::processEvents();
}

class SheetWayOutTest : public testing::OneSensorWindowTest<::testing::TestWithParam<WayOut>> {
 protected:
  SheetWayOutTest() : quitSignals_([this] { session->EndSession(); }) {}
  QuitSignals quitSignals_;
};

TEST_P(SheetWayOutTest, ResumesTheKeySendsTheUserHalted) {
  // Halted through the accessibility interface, as voice control would.
  QAccessibleInterface* halt = QAccessible::queryAccessibleInterface(window->HaltKeySendsBox());
  halt->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  ASSERT_TRUE(Sensor().KeySendsHalted());
  clock.ResetSlept();
  GetParam().take(*window);
  EXPECT_TRUE(window->Finished());
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(Sensor().KeySendsHalted());
  if (!GetParam().endsProgram) {
    EXPECT_GE(clock.SleptMs(), 2000u);  // the sensor's time to resume
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, SheetWayOutTest,
    ::testing::Values(
        WayOut{"CloseBox", [](SheetWindow& w) { w.close(); }},
        WayOut{"Cancel", [](SheetWindow& w) { testing::ClickAsUser(w.CancelButton()); }},
        WayOut{"Ok", [](SheetWindow& w) { testing::ClickAsUser(w.OkButton()); }},
        WayOut{"Escape", [](SheetWindow& w) { testing::TypeAsUser(&w, Qt::Key_Escape); }},
        WayOut{"SIGTERM", [](SheetWindow&) { Raise(SIGTERM); }, true},
        WayOut{"SIGINT", [](SheetWindow&) { Raise(SIGINT); }, true},
        WayOut{"SIGHUP", [](SheetWindow&) { Raise(SIGHUP); }, true}),
    [](const ::testing::TestParamInfo<WayOut>& info) { return std::string(info.param.name); });

TEST_F(SheetWindowTest, ClosingByTheTitleBarIsCancelAndResumesKeySends) {
  testing::ClickAsUser(window->HaltKeySendsBox());
  EXPECT_TRUE(Sensor().KeySendsHalted());
  window->close();
  EXPECT_THAT(KeySendCommands(), ElementsAre(0xB1, 0xB0));
}

}  // namespace
}  // namespace kv::ui::qt
