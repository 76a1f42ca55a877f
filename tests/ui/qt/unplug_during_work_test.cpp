// The sensor pulled out in the middle of every long piece of work the window
// does: the window survives, tells the user, follows the removal to the
// sensor still plugged in, and that sensor then works.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <kv7700/clock.h>
#include <kv7700/emulation.h>

#include <QPushButton>
#include <QTabWidget>
#include <functional>
#include <utility>

#include "hid/emulated/emulated_sensor.h"
#include "hid/emulated/sensor_set_probe.h"
#include "misc_page.h"
#include "program.h"
#include "qt_dialog_host.h"
#include "qt_test_app.h"
#include "sheet_window.h"

namespace kv::ui::qt {
namespace {

using M = MiscPage;
constexpr int kSonarTab = 2;
constexpr int kMiscTab = 3;
constexpr int kMaxDistanceEdit = 1027;

struct Work {
  const char* name;
  std::function<void(SheetWindow&)> start;
};

QtDialogHost& Page(SheetWindow& window, int tab) {
  window.Tabs()->setCurrentIndex(tab);
  return *window.PageDialog(tab);
}

void ClickOnMisc(SheetWindow& window, int id) {
  testing::ClickAsUser(Page(window, kMiscTab).Widget(id));
}

void ApplyMaxDistance(SheetWindow& window, const char* inches) {
  Page(window, kSonarTab).SetText(kMaxDistanceEdit, inches);
  testing::ClickAsUser(window.ApplyButton());
}

struct Case {
  Work work;
  int report;  // the sensor's report, counted from the work's start, at which it goes
};

class UnplugDuringWorkTest : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    SetClock(&clock);
    Options options;
    options.simulate = true;
    options.simulateFiles = {"", ""};
    session = std::make_unique<Program>(options);
    session->Services().SetMessagePresenter([this](QWidget*, const MessageRequest& request) {
      messages.push_back(request.text);
      return MessageResult::Ok;
    });
    int status = 0;
    ASSERT_TRUE(session->Prepare(&status));
    emu::SensorSetProbe::Sensor(*session->Emulation(), 1).SetFirmwareVersion(0x0400);
    window = session->Window();
    window->show();
    session->StartNow();
    ASSERT_EQ(window->windowTitle(),
              QStringLiteral("KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 4.10"));
  }
  void TearDown() override {
    session.reset();
    SetClock(nullptr);
  }

  QApplication& application = testing::TestApplication();
  VirtualClock clock;
  std::unique_ptr<Program> session;
  SheetWindow* window = nullptr;
  std::vector<std::string> messages;
};

TEST_P(UnplugDuringWorkTest, TheWindowTellsTheUserAndTheNextSensorWorks) {
  emu::SensorSet& sensors = *session->Emulation();
  const Case& c = GetParam();
  sensors.FailAtExchange(0, c.report, emu::SensorFault::Vanish);
  c.work.start(*window);
  ASSERT_TRUE(testing::ProcessEventsUntil([&] { return !messages.empty(); }))
      << "the user was not told";
  // Pulled out, and another sensor plugged in: the window follows both
  // (after a failed range reading it has closed every sensor and waits for
  // the next arrival).
  sensors.PullOut(0);
  sensors.SetNewSensorFirmware(0x0420);
  const std::size_t added = sensors.AddSensor();
  const QString olderInFront = QStringLiteral("KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 4.00");
  const QString newerInFront = QStringLiteral("KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 4.20");
  ASSERT_TRUE(testing::ProcessEventsUntil([&] {
    return window->windowTitle() == olderInFront || window->windowTitle() == newerInFront;
  })) << "the window did not follow the removal and the arrival";
  ASSERT_FALSE(window->Finished());

  // The sensor the caption names takes the next change; the other keeps
  // its own.
  if (Page(*window, kMiscTab).IsChecked(M::kIdAutoRange)) ClickOnMisc(*window, M::kIdAutoRange);
  messages.clear();
  const bool olderTakesIt = window->windowTitle() == olderInFront;
  emu::EmulatedSensor& front = emu::SensorSetProbe::Sensor(sensors, olderTakesIt ? 1 : added);
  emu::EmulatedSensor& behind = emu::SensorSetProbe::Sensor(sensors, olderTakesIt ? added : 1);
  const emu::Memory frontBefore = front.CopyMemories().working;
  const emu::Memory behindBefore = behind.CopyMemories().working;
  ApplyMaxDistance(*window, "45");
  EXPECT_TRUE(messages.empty()) << messages.front();
  EXPECT_NE(front.CopyMemories().working, frontBefore);
  EXPECT_EQ(behind.CopyMemories().working, behindBefore);
}

// A sensor that refuses one report of a write: the user is told, the page
// keeps its change pending, and the next Apply writes it.
TEST_F(UnplugDuringWorkTest, ARefusedWriteIsKeptAndTheNextApplyRetriesIt) {
  emu::SensorSet& sensors = *session->Emulation();
  for (int report = 1; report <= 3; ++report) {  // request, data, commit
    messages.clear();
    const emu::Memory before = emu::SensorSetProbe::Sensor(sensors, 0).CopyMemories().working;
    sensors.FailAtExchange(0, report, emu::SensorFault::Refuse);
    const std::string inches = std::to_string(40 + report);
    ApplyMaxDistance(*window, inches.c_str());
    EXPECT_EQ(messages.size(), 1u) << "report " << report;
    EXPECT_EQ(emu::SensorSetProbe::Sensor(sensors, 0).CopyMemories().working, before)
        << "report " << report;
    EXPECT_TRUE(window->ApplyButton()->isEnabled()) << "report " << report;
    testing::ClickAsUser(window->ApplyButton());
    EXPECT_EQ(messages.size(), 1u) << "report " << report;
    EXPECT_NE(emu::SensorSetProbe::Sensor(sensors, 0).CopyMemories().working, before)
        << "report " << report;
    EXPECT_FALSE(window->ApplyButton()->isEnabled()) << "report " << report;
  }
}

const Work kWorks[] = {
    {"Write", [](SheetWindow& w) { ApplyMaxDistance(w, "50"); }},
    {"ResetAll", [](SheetWindow& w) { ClickOnMisc(w, M::kIdResetAll); }},
    {"RestoreUserDefaults", [](SheetWindow& w) { ClickOnMisc(w, M::kIdRestoreUserDefaults); }},
    {"GetRange", [](SheetWindow& w) { ClickOnMisc(w, M::kIdGetRange); }},
    {"AutoRange", [](SheetWindow& w) { ClickOnMisc(w, M::kIdAutoRange); }},
    {"Clone",
     [](SheetWindow& w) {
       ClickOnMisc(w, M::kIdSaveClone);
       ClickOnMisc(w, M::kIdWriteClone);
     }},
};

std::vector<Case> Cases() {
  std::vector<Case> cases;
  for (const Work& work : kWorks) {
    for (int report : {1, 2}) cases.push_back({work, report});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryLongWork, UnplugDuringWorkTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.work.name) + "AtReport" +
                                  std::to_string(info.param.report);
                         });

}  // namespace
}  // namespace kv::ui::qt
