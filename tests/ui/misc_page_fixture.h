// The whole configurator over emulated sensors, seen from the Misc. page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "misc_page.h"
#include "sheet_fixture.h"

namespace kv::ui::testing {

// A configuration unlike the factory's, in values that survive the trip
// through the pages, inches and milliseconds unchanged. The two bytes that a
// write takes from the last sensor read (0x84 D2, 0x85 D1) stay 0, as every
// other sensor's are.
inline emu::Memory SourceMemory() {
  return emu::Memory{{
      {0x05, 100, 40, 52, 139, 20, 5, 3},        // 400 ms, 15 to 40 inches
      {0x02, 4, 0x08, 0x00, 0x00, 0x00, 0, 0},   // two keys, 256 ms apart
      {0x01, 7, 0x0F, 0x29, 0x00, 0x00, 0, 0},   // LGUI+L, ESC
      {0x01, 3, 0x05, 0x00, 0x00, 0x00, 0, 0},   // one key
      {0x01, 0, 0x4C, 0x00, 0x00, 0x00, 0, 0},   // LCTL+LALT+DELETE
      {0x00, 30, 0x01, 0x2C, 0x03, 34, 60, 12},  // keep-alive, dead target
  }};
}

class MiscPageTest : public SheetTest {
 protected:
  static constexpr int kWalkAwayTab = 0;
  static constexpr int kWalkToTab = 1;
  static constexpr int kSonarTab = 2;
  static constexpr int kMiscTab = 3;

  // Starts the program and shows the Misc. page.
  void StartOnMisc() {
    Start();
    host->ChooseTab(kMiscTab);
  }

  MemoryDialogHost& Misc() { return *host->PageDialog(kMiscTab); }
  MemoryDialogHost& Tab(int index) { return *host->PageDialog(index); }
  MiscPage& Page() { return *app.PageMisc; }

  // The page showed exactly this one message box since its record was
  // cleared; an empty caption stands for the application's name.
  void ExpectOnlyMessage(const std::string& text, const std::string& caption = {},
                         MessageIcon icon = MessageIcon::None) {
    const auto& messages = Misc().Record().Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, text);
    EXPECT_EQ(messages[0].caption, caption.empty() ? app.AppName() : caption);
    EXPECT_EQ(messages[0].icon, icon);
    EXPECT_EQ(messages[0].buttons, MessageButtons::Ok);
  }

  // How many reports with command byte `command` the sensor accepted.
  static int Sent(const emu::EmulatedSensor& sensor, std::uint8_t command) {
    int count = 0;
    for (const auto& entry : sensor.Trace()) {
      count += entry.direction == emu::Direction::Set && entry.ok && entry.bytes[1] == command;
    }
    return count;
  }
  // The commands (byte 1 of 0x80 and above) the sensor accepted, in order.
  static std::vector<int> Commands(const emu::EmulatedSensor& sensor) {
    std::vector<int> commands;
    for (const auto& entry : sensor.Trace()) {
      if (entry.direction == emu::Direction::Set && entry.ok && entry.bytes[1] >= 0x80) {
        commands.push_back(entry.bytes[1]);
      }
    }
    return commands;
  }
};

}  // namespace kv::ui::testing
