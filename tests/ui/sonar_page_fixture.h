// The Sonar page in the whole program, over one emulated sensor, on virtual
// time, with helpers that read what reached the sensor.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "memory_dialog_host.h"
#include "sheet_fixture.h"
#include "sonar_page.h"

namespace kv::ui::testing {

// Working-memory blocks of the sensor, by the command that reads them.
inline constexpr std::size_t kSonarBlock = 0;     // 0x80
inline constexpr std::size_t kWalkAwayFlags = 2;  // 0x82: Flags0WA, MinFltRepRate, codes
inline constexpr std::size_t kWalkUpFlags = 4;    // 0x84: Flags0WU, Reserved2WU, codes
inline constexpr std::size_t kIdleBlock = 5;      // 0x85
// Byte positions in the sonar block.
inline constexpr std::size_t kLedByte = 0, kPingByte = 1, kMinByte = 3, kMaxByte = 4, kOrdbByte = 5,
                             kIrdbByte = 6, kStartByte = 7;

class SonarPageTest : public SheetTest {
 protected:
  static constexpr int kSonarTab = 2;

  // Plugs a sensor whose working memory `prepare` may change, starts the
  // program, shows the Sonar page and forgets the start-up traffic.
  void Start(std::uint16_t firmware, const std::function<void(emu::Memory&)>& prepare = {}) {
    sensor = std::make_shared<emu::EmulatedSensor>(firmware);
    if (prepare) {
      prepare(sensor->Working());
    }
    bus.PlugSensor(sensor);
    ASSERT_NO_FATAL_FAILURE(SheetTest::Start());
    host->ChooseTab(kSonarTab);
    sensor->ClearTrace();
    Page().Record().ClearPauses();
  }

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

  // The page's four pending flags: sonar, idle, walk-away, walk-up.
  std::array<std::uint32_t, 4> PendingFlags() const {
    return {app.SonarPending, app.IdlePendingSonar, app.WalkAwayPendingSonar,
            app.WalkUpPendingSonar};
  }

  std::shared_ptr<emu::EmulatedSensor> sensor;
};

}  // namespace kv::ui::testing
