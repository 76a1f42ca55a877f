// The configurator on one emulated sensor, on virtual time, shown and started,
// with every message it presents collected instead of shown.
#pragma once

#include <gtest/gtest.h>
#include <kv7700/clock.h>
#include <kv7700/emulation.h>

#include <memory>
#include <string>
#include <vector>

#include "hid/emulated/emulated_sensor.h"
#include "hid/emulated/sensor_set_probe.h"
#include "program.h"
#include "qt_dialog_host.h"
#include "qt_test_app.h"
#include "sheet_window.h"

namespace kv::ui::qt::testing {

template <class Base = ::testing::Test>
class OneSensorWindowTest : public Base {
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
    int status = 0;
    ASSERT_TRUE(session->Prepare(&status));
    window = session->Window();
    window->show();
    session->StartNow();
  }
  void TearDown() override {
    session.reset();
    SetClock(nullptr);
  }

  emu::EmulatedSensor& Sensor() { return emu::SensorSetProbe::Sensor(*session->Emulation(), 0); }

  QApplication& application = TestApplication();
  VirtualClock clock;
  std::unique_ptr<Program> session;
  SheetWindow* window = nullptr;
  std::vector<std::string> messages;
};

}  // namespace kv::ui::qt::testing
