// The Misc. page in the Qt window, on one emulated sensor: the user's clicks
// reach the page, the timer ticks, the file dialogs and message boxes go
// through the window's services.
#include <gtest/gtest.h>
#include <kv7700/clock.h>
#include <kv7700/emulation.h>

#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

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

class MiscPageSmokeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClock(&clock);
    Options options;
    options.simulate = true;
    options.simulateFiles = {""};
    session = std::make_unique<Program>(options);
    session->Services().SetMessagePresenter([this](QWidget*, const MessageRequest& request) {
      messages.push_back(request.text);
      return MessageResult::Ok;
    });
    session->Services().SetFilePresenter(
        [this](QWidget*, WindowServices::FileDialog dialog) -> std::optional<std::string> {
          dialogs.push_back(dialog);
          return file;
        });
    int status = 0;
    ASSERT_TRUE(session->Prepare(&status));
    window = session->Window();
    window->show();
    session->StartNow();
    ASSERT_TRUE(testing::ProcessEventsUntil([&] { return !window->ProgressShowing(); }));
    window->Tabs()->setCurrentIndex(3);
    misc = window->PageDialog(3);
    ASSERT_NE(misc, nullptr);
  }
  void TearDown() override {
    session.reset();
    SetClock(nullptr);
  }

  emu::EmulatedSensor& Sensor() { return emu::SensorSetProbe::Sensor(*session->Emulation(), 0); }
  void Click(int id) { testing::ClickAsUser(misc->Widget(id)); }

  QApplication& application = testing::TestApplication();
  VirtualClock clock;
  std::unique_ptr<Program> session;
  SheetWindow* window = nullptr;
  QtDialogHost* misc = nullptr;
  std::vector<std::string> messages;
  std::vector<WindowServices::FileDialog> dialogs;
  std::optional<std::string> file;
};

TEST_F(MiscPageSmokeTest, RangeCloningAndFilesWorkFromTheWindow) {
  EXPECT_FALSE(misc->Widget(M::kIdWin98)->isVisible());
  EXPECT_EQ(misc->GetText(M::kIdRangeRate), "500");

  Sensor().SetTarget(30);
  Click(M::kIdGetRange);
  ASSERT_TRUE(testing::ProcessEventsUntil(
      [&] { return misc->GetText(M::kIdRangeText) == "InRange: 30 inches"; }));

  // The timer's ticks read the sensor until the box is cleared.
  misc->SetText(M::kIdRangeRate, "100");
  Click(M::kIdAutoRange);
  EXPECT_FALSE(misc->IsEnabled(M::kIdGetRange));
  Sensor().SetTarget(50);
  ASSERT_TRUE(testing::ProcessEventsUntil(
      [&] { return misc->GetText(M::kIdRangeText) == "NOT InRange: 50 inches"; }));
  Click(M::kIdAutoRange);
  EXPECT_FALSE(misc->IsChecked(M::kIdAutoRange));
  EXPECT_TRUE(misc->IsEnabled(M::kIdGetRange));

  Click(M::kIdWriteClone);
  EXPECT_EQ(messages, std::vector<std::string>{"Data NOT Saved!"});

  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  file = FromQt(folder.filePath(QStringLiteral("sensor.txt")));
  Click(M::kIdSaveToFile);
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0], WindowServices::FileDialog::Save);
  QFile saved(ToQt(*file));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_TRUE(saved.readAll().contains("MinDistS = "));

  Click(M::kIdRestoreFromFile);
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[1], WindowServices::FileDialog::Open);
  EXPECT_TRUE(window->ApplyButton()->isEnabled());  // the restored values wait for Apply
  EXPECT_EQ(messages.size(), 1u);
}

}  // namespace
}  // namespace kv::ui::qt
