// The Sonar page in the whole program, over one emulated sensor: the
// application object, its sheet in memory, virtual time, and helpers that
// read what reached the sensor.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "dorvane_app.h"
#include "memory_dialog_host.h"
#include "memory_sheet_host.h"
#include "prop_sheet.h"
#include "sonar_page.h"
#include "support/library_fixture.h"

namespace kv::ui::testing {

// The owner of the start-up message boxes.
class OwnerlessWindow final : public WindowHost {
 public:
  MessageResult ShowMessage(const MessageRequest& request) override {
    return record.ShowMessage(request);
  }
  void Pause(std::uint32_t ms) override { record.Pause(ms); }
  void BeginWaitCursor() override { record.BeginWaitCursor(); }
  void EndWaitCursor() override { record.EndWaitCursor(); }
  WindowRecorder record;
};

// Working-memory blocks of the sensor, by the command that reads them.
inline constexpr std::size_t kSonarBlock = 0;     // 0x80
inline constexpr std::size_t kWalkAwayFlags = 2;  // 0x82: Flags0WA, MinFltRepRate, codes
inline constexpr std::size_t kWalkUpFlags = 4;    // 0x84: Flags0WU, Reserved2WU, codes
inline constexpr std::size_t kIdleBlock = 5;      // 0x85
// Byte positions in the sonar block.
inline constexpr std::size_t kLedByte = 0, kPingByte = 1, kMinByte = 3, kMaxByte = 4, kOrdbByte = 5,
                             kIrdbByte = 6, kStartByte = 7;

// Plays a key page's part of Apply: it writes its record, unless the Sonar
// page edited that record too; then it leaves the write to the Sonar page,
// which applies after it.
class KeyPageStandIn final : public PropertyPage {
 public:
  using Flag = std::uint32_t CDorvaneApp::*;
  KeyPageStandIn(CDorvaneApp& app, int templateId, Flag pending, Flag pendingSonar,
                 int (CDorvaneApp::*push)())
      : PropertyPage(app, templateId, "key page"),
        pending_(pending),
        pendingSonar_(pendingSonar),
        push_(push) {}

 protected:
  bool OnApply() override {
    CDorvaneApp& app = App();
    if (!(app.*pending_)) {
      return true;
    }
    if (!(app.*pendingSonar_) && !(app.*push_)()) {
      return true;
    }
    Dialog().Pause(1000);
    SetModified(false);
    app.*pending_ = 0;
    return true;
  }

 private:
  Flag pending_;
  Flag pendingSonar_;
  int (CDorvaneApp::*push_)();
};

class SonarPageTest : public kv::testing::LibraryTest {
 protected:
  static constexpr int kSonarTab = 2;

  void TearDown() override {
    host.reset();
    ownSheet.reset();
    app.ExitInstance();
    LibraryTest::TearDown();
  }

  // Plugs a sensor whose working memory `prepare` may change, starts the
  // program, shows the Sonar page and forgets the start-up traffic.
  void Start(std::uint16_t firmware, const std::function<void(emu::Memory&)>& prepare = {}) {
    Plug(firmware, prepare);
    ASSERT_TRUE(app.InitInstance(ownerless));
    host = std::make_unique<MemorySheetHost>(*app.Sheet());
    Open();
  }

  // The same, with stand-ins for the two key pages before the Sonar page,
  // as the sheet orders them.
  void StartWithKeyPageStandIns(std::uint16_t firmware) {
    Plug(firmware, {});
    ASSERT_TRUE(app.InitInstance(ownerless));
    walkAwayStandIn = std::make_unique<KeyPageStandIn>(app, 108, &CDorvaneApp::WalkAwayPending,
                                                       &CDorvaneApp::WalkAwayPendingSonar,
                                                       &CDorvaneApp::PushWalkAwayToDev);
    walkUpStandIn = std::make_unique<KeyPageStandIn>(app, 109, &CDorvaneApp::WalkUpPending,
                                                     &CDorvaneApp::WalkUpPendingSonar,
                                                     &CDorvaneApp::PushWalkUpToDev);
    ownSheet = std::make_unique<PropSheet>(app, app.FormatCaption());
    ownSheet->AddPage(walkAwayStandIn.get());
    ownSheet->AddPage(walkUpStandIn.get());
    ownSheet->AddPage(app.PageSonar);
    host = std::make_unique<MemorySheetHost>(*ownSheet);
    Open();
  }

  SNRPage& Sonar() { return *app.PageSonar; }
  MemoryDialogHost& Page() { return *host->PageDialog(kSonarTab); }

  // The Misc page's "Enable Advanced Settings".
  void AdvancedSettings(bool on) { Page().Command(CMD_ADVANCED_SETTINGS, on ? 1 : 0); }

  emu::Block Block(std::size_t index) { return sensor->Working()[index]; }

  // The masks of the commit reports the sensor accepted: one per write.
  std::vector<int> Commits() const {
    std::vector<int> masks;
    for (const auto& entry : sensor->Trace()) {
      if (entry.direction == emu::Direction::Set && entry.ok && entry.bytes[1] == 0x90) {
        masks.push_back(entry.bytes[2]);
      }
    }
    return masks;
  }
  // How many requests for `command` the sensor received.
  int Requests(std::uint8_t command) const {
    int count = 0;
    for (const auto& entry : sensor->Trace()) {
      count += entry.direction == emu::Direction::Set && entry.bytes[1] == command;
    }
    return count;
  }
  std::size_t Reports() const { return sensor->Trace().size(); }

  bool AnythingPending() const {
    return app.SonarPending || app.IdlePendingSonar || app.WalkAwayPendingSonar ||
           app.WalkUpPendingSonar;
  }

  // Inches as the library sends them: echo ticks, rounded half up.
  static std::uint8_t Ticks(int inches) {
    return static_cast<std::uint8_t>(std::floor(inches * emu::kTicksPerInch + 0.5));
  }

  InlineRunner runner;
  CDorvaneApp app;
  OwnerlessWindow ownerless;
  std::shared_ptr<emu::EmulatedSensor> sensor;
  std::unique_ptr<KeyPageStandIn> walkAwayStandIn;
  std::unique_ptr<KeyPageStandIn> walkUpStandIn;
  std::unique_ptr<PropSheet> ownSheet;
  std::unique_ptr<MemorySheetHost> host;

 private:
  void Plug(std::uint16_t firmware, const std::function<void(emu::Memory&)>& prepare) {
    sensor = std::make_shared<emu::EmulatedSensor>(firmware);
    if (prepare) {
      prepare(sensor->Working());
    }
    bus.PlugSensor(sensor);
    app.SetRunner(&runner);
  }

  void Open() {
    host->Open();
    host->ChooseTab(kSonarTab);
    sensor->ClearTrace();
    Page().Record().ClearPauses();
  }
};

}  // namespace kv::ui::testing
