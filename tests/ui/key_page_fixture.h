// The Walk-Away and Walk-To pages in a whole sheet over one emulated sensor,
// on virtual time. Tests that hold for both pages run once per twin.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "dorvane_app.h"
#include "lib/sensor_trace.h"
#include "memory_dialog_host.h"
#include "sheet_fixture.h"
#include "walk_away_page.h"
#include "walk_up_page.h"

namespace kv::ui::testing {

// What differs between the twins, as the tests reach it.
struct KeyTwin {
  const char* name;
  int pageIndex;           // tab index in the sheet
  std::size_t keysBlock;   // sensor block: count, delay / 64, mods 1..6
  std::size_t codesBlock;  // sensor block: flags, word 9, codes 1..6
  std::uint8_t keysCommand;
  std::uint32_t CDorvaneApp::*pending;
  std::uint32_t CDorvaneApp::*pendingSonar;
  const char* writeFailure;
  bool hasFaultSendRate;
};

inline const KeyTwin kWalkAwayTwin{"WalkAway",
                                   0,
                                   1,
                                   2,
                                   0x81,
                                   &CDorvaneApp::WalkAwayPending,
                                   &CDorvaneApp::WalkAwayPendingSonar,
                                   "Failed to Write the device Features (WalkAway)!",
                                   true};
inline const KeyTwin kWalkUpTwin{"WalkUp",
                                 1,
                                 3,
                                 4,
                                 0x83,
                                 &CDorvaneApp::WalkUpPending,
                                 &CDorvaneApp::WalkUpPendingSonar,
                                 "Failed to Write the device Features (WalkUp)!",
                                 false};

inline void PrintTo(const KeyTwin& twin, std::ostream* out) {
  *out << twin.name;
}

inline std::string TwinName(const ::testing::TestParamInfo<KeyTwin>& info) {
  return info.param.name;
}

class KeyPageTest : public SheetTest {
 protected:
  void SetUp() override {
    SheetTest::SetUp();
    sensor = Plug(0x0144);
    // One key set (Ctrl+Alt+Del) and 128 ms between keys on both pages.
    for (std::size_t block : {std::size_t{1}, std::size_t{3}}) {
      sensor->Working()[block] = {1, 2, 0x05, 0, 0, 0, 0, 0};
      sensor->Working()[block + 1] = {0, 0, 0x4C, 0, 0, 0, 0, 0};
    }
  }

  // Starts the program with the sensor as it is now; the trace then holds
  // only what the test makes the pages send.
  void Start() {
    ASSERT_NO_FATAL_FAILURE(SheetTest::Start());
    sensor->ClearTrace();
  }

  MemoryDialogHost& PageOf(const KeyTwin& twin) { return *host->PageDialog(twin.pageIndex); }
  void Command(int command, int parameter) { app.Sheet()->SendPageCommand(command, parameter); }
  void Advanced() { Command(CMD_ADVANCED_SETTINGS, 1); }

  // The twin's edit copy, word by word (both records share one layout).
  std::uint16_t& EditWord(const KeyTwin& twin, std::size_t word) {
    return twin.pageIndex == 0 ? Word(app.EditWalkAway, word) : Word(app.EditWalkUp, word);
  }
  std::uint16_t LastDelay(const KeyTwin& twin) {
    return twin.pageIndex == 0 ? app.PageWalkAway->LastDelayWA() : app.PageWalkTo->LastDelayWU();
  }

  // The sensor's working memory: count and delay byte, mods and codes.
  emu::Block& KeysBlock(const KeyTwin& twin) { return sensor->Working()[twin.keysBlock]; }
  emu::Block& CodesBlock(const KeyTwin& twin) { return sensor->Working()[twin.codesBlock]; }
  // Slots 1 to 4 as the sensor holds them.
  std::vector<KeySet> SensorSlots(const KeyTwin& twin) {
    std::vector<KeySet> slots;
    for (std::size_t i = 2; i < 6; ++i) {
      slots.push_back({KeysBlock(twin)[i], CodesBlock(twin)[i]});
    }
    return slots;
  }
  // How many times the twin's record was written.
  // Requests for the keys followed by a data report: writes, not the reads
  // a write makes first to compare.
  std::size_t Writes(const KeyTwin& twin) {
    std::size_t count = 0;
    const auto& trace = sensor->Trace();
    for (std::size_t i = 0; i + 1 < trace.size(); ++i) {
      count += trace[i].direction == emu::Direction::Set &&
               trace[i].bytes == kv::testing::RequestBytes(twin.keysCommand) &&
               trace[i + 1].direction == emu::Direction::Set;
    }
    return count;
  }

  std::shared_ptr<emu::EmulatedSensor> sensor;
};

class TwinPageTest : public KeyPageTest, public ::testing::WithParamInterface<KeyTwin> {
 protected:
  const KeyTwin& twin = GetParam();
  MemoryDialogHost& Page() { return PageOf(twin); }
};

}  // namespace kv::ui::testing
