// A smoke run of the Sonar page in the Qt window, over one emulated sensor.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "hid/emulated/emulated_sensor.h"
#include "hid/emulated/sensor_set_probe.h"
#include "one_sensor_window.h"
#include "sonar_page.h"

namespace kv::ui::qt {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SonarPageQtTest : public testing::OneSensorWindowTest<> {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(OneSensorWindowTest::SetUp());
    window->Tabs()->setCurrentIndex(2);
    sonar = window->PageDialog(2);
    ASSERT_NE(sonar, nullptr);
  }
  emu::Memory Working() {
    return emu::SensorSetProbe::Sensor(*session->Emulation(), 0).CopyMemories().working;
  }
  void Enter(int id, const char* text) {
    static_cast<QLineEdit*>(sonar->Widget(id))->setText(QString::fromLatin1(text));
  }

  QtDialogHost* sonar = nullptr;
};

TEST_F(SonarPageQtTest, ShowsTheSensorAndAppliesTheUsersEdits) {
  EXPECT_EQ(window->Tabs()->currentIndex(), 2);
  EXPECT_FALSE(sonar->Widget(SNRPage::kIdCycleCount)->isVisible());
  EXPECT_TRUE(sonar->Widget(SNRPage::kIdMinDistance)->isVisible());
  EXPECT_EQ(sonar->GetText(SNRPage::kIdInRangeDelayRange), "( 0 to 255 sec )");
  EXPECT_EQ(sonar->GetNumber(SNRPage::kIdMinDistance), session->App().EditSonar.MinDistS);
  EXPECT_FALSE(window->ApplyButton()->isEnabled());

  Enter(SNRPage::kIdMinDistance, "20");
  testing::ClickAsUser(sonar->Widget(SNRPage::kIdOutOfRangeMinutes));
  EXPECT_TRUE(window->ApplyButton()->isEnabled());
  testing::ClickAsUser(window->ApplyButton());

  const emu::Memory working = Working();
  EXPECT_EQ(working[0][3], 69);           // MinDistS: 20 inches are 69.44 echo ticks
  EXPECT_EQ(working[2][0] & 0x01, 0x01);  // Flags0WA: the out-of-range delay counts minutes
  EXPECT_FALSE(window->ApplyButton()->isEnabled());
  EXPECT_THAT(messages, IsEmpty());
}

TEST_F(SonarPageQtTest, ARefusedRecordIsReportedAndOkKeepsTheWindowOpen) {
  const emu::Memory before = Working();
  Enter(SNRPage::kIdMinDistance, "70");
  Enter(SNRPage::kIdMaxDistance, "50");
  testing::ClickAsUser(window->OkButton());

  EXPECT_THAT(messages, ElementsAre("Failed to Write the device Features (Sonar)!"));
  EXPECT_FALSE(window->Finished());
  EXPECT_TRUE(window->ApplyButton()->isEnabled());
  EXPECT_EQ(sonar->GetText(SNRPage::kIdMaxDistance), "71");
  EXPECT_EQ(Working()[0], before[0]);
}

}  // namespace
}  // namespace kv::ui::qt
