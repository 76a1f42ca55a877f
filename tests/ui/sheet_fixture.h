// The configurator's logic over emulated sensors: the application object, a
// property sheet in memory, and the emulated bus's plugging as the hot-plug
// source. Virtual time throughout.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dorvane_app.h"
#include "hot_plug_notifier.h"
#include "memory_sheet_host.h"
#include "prop_sheet.h"
#include "property_page.h"
#include "support/library_fixture.h"

namespace kv::ui::testing {

// Reports the emulated bus's plugging to the sheet, or fails to start.
class BusHotPlug final : public HotPlugNotifier {
 public:
  explicit BusHotPlug(emu::EmulatedBus& bus) : bus_(bus) {}
  ~BusHotPlug() override { bus_.SetPlugListener(nullptr); }

  bool Start(HotPlugSink& sink, unsigned long* error) override {
    ++starts;
    if (failWith != 0) {
      *error = failWith;
      return false;
    }
    bus_.SetPlugListener([&sink](const emu::PlugEvent& event) {
      if (event.kind == emu::PlugEvent::Kind::Added) {
        sink.OnDeviceArrival(event.path);
      } else {
        sink.OnDeviceRemoval(event.path);
      }
    });
    return true;
  }

  unsigned long failWith = 0;
  int starts = 0;

 private:
  emu::EmulatedBus& bus_;
};

// A page that logs what it is told, for the sheet's own tests.
class RecordingPage final : public PropertyPage {
 public:
  RecordingPage(CDorvaneApp& app, int templateId, std::string title, std::vector<std::string>* log)
      : PropertyPage(app, templateId, std::move(title)), log_(log) {}

  bool acceptApply = true;
  int timerTicks = 0;

 protected:
  void OnInitDialog() override { Log("init"); }
  void OnSetActive() override { Log("active"); }
  bool OnApply() override {
    Log("apply");
    return acceptApply;
  }
  void OnCommand(int command, int parameter) override {
    Log("command " + std::to_string(command) + " " + std::to_string(parameter));
  }
  void OnTimer(std::uint32_t) override { ++timerTicks; }

 private:
  void Log(const std::string& what) { log_->push_back(Title() + " " + what); }
  std::vector<std::string>* log_;
};

class SheetTest : public kv::testing::LibraryTest {
 protected:
  void TearDown() override {
    host.reset();
    testSheet.reset();
    app.ExitInstance();
    LibraryTest::TearDown();
  }

  std::shared_ptr<emu::EmulatedSensor> Plug(std::uint16_t firmware, std::string* path = nullptr) {
    auto sensor = std::make_shared<emu::EmulatedSensor>(firmware);
    const std::string plugged = bus.PlugSensor(sensor);
    if (path) {
      *path = plugged;
    }
    return sensor;
  }

  // Starts the program as its host does: checks, pages, sheet, window.
  void Start() {
    app.SetRunner(&runner);
    ASSERT_TRUE(app.InitInstance(ownerless));
    host = std::make_unique<MemorySheetHost>(*app.Sheet());
    host->Open(&hotPlug);
  }

  // The same, but the sheet carries logging pages in place of the real ones.
  void StartWithRecordingPages() {
    app.SetRunner(&runner);
    ASSERT_TRUE(app.InitInstance(ownerless));
    testSheet = std::make_unique<PropSheet>(app, app.FormatCaption());
    for (auto& page : pages) {
      testSheet->AddPage(page.get());
    }
    host = std::make_unique<MemorySheetHost>(*testSheet);
    host->Open(&hotPlug);
  }

  // Key-send control reports (0xB1 halt, 0xB0 resume) the sensor received.
  static std::vector<int> KeySendCommands(const emu::EmulatedSensor& sensor) {
    std::vector<int> commands;
    for (const auto& entry : sensor.Trace()) {
      if (entry.direction == emu::Direction::Set && entry.ok &&
          (entry.bytes[1] == 0xB0 || entry.bytes[1] == 0xB1)) {
        commands.push_back(entry.bytes[1]);
      }
    }
    return commands;
  }

  static std::size_t SetReports(const emu::EmulatedSensor& sensor) {
    std::size_t count = 0;
    for (const auto& entry : sensor.Trace()) {
      count += entry.direction == emu::Direction::Set;
    }
    return count;
  }

  InlineRunner runner;
  CDorvaneApp app;
  MemoryWindowHost ownerless;
  BusHotPlug hotPlug{bus};
  std::vector<std::string> log;
  std::vector<std::unique_ptr<RecordingPage>> pages = [this] {
    std::vector<std::unique_ptr<RecordingPage>> made;
    const std::pair<int, const char*> specs[] = {
        {108, "Walk-Away"}, {109, "Walk-To"}, {107, "Sonar"}, {110, "Misc."}};
    for (const auto& [id, title] : specs) {
      made.push_back(std::make_unique<RecordingPage>(app, id, title, &log));
    }
    return made;
  }();
  std::unique_ptr<PropSheet> testSheet;
  std::unique_ptr<MemorySheetHost> host;
};

}  // namespace kv::ui::testing
