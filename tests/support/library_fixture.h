// A test fixture for the library: virtual clock, emulated bus as the platform,
// and the library reset before and after each test.
#pragma once

#include <gtest/gtest.h>
#include <kv7700/clock.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include "hid/emulated/emulated_bus.h"
#include "lib_state.h"

namespace kv::testing {

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseOwnRuntimeFolder();
    SetClock(&clock);
    hid::SetPlatform(&bus);
    CloseAllDevices();
  }
  void TearDown() override {
    CloseAllDevices();
    hid::SetPlatform(nullptr);
    SetClock(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(RuntimeFolder(), ignored);
  }

  // Plugs a sensor into the bus and enters it in the device table directly,
  // without discovery: loads the HID layer if needed, opens the path and adds
  // the slot. The slot's records are not read. Returns the sensor.
  std::shared_ptr<emu::EmulatedSensor> AddSensor(std::uint16_t firmware = 0x0144) {
    auto sensor = std::make_shared<emu::EmulatedSensor>(firmware);
    const std::string path = bus.PlugSensor(sensor);
    LibState& state = GetLibState();
    if (!state.HidLayer) {
      EXPECT_EQ(bus.LoadHid(&state.HidLayer), hid::LoadResult::Ok);
    }
    DeviceSlot slot = EmptySlot();
    slot.Handle = state.HidLayer->Open(path, nullptr);
    EXPECT_NE(slot.Handle, hid::kInvalidHandle);
    std::strncpy(slot.DevicePath.data(), path.c_str(), kMaxPathLength);
    EXPECT_EQ(UpdateSlotTable(&slot, 0), 1);
    return sensor;
  }

  // Notes of halted key sends go to a folder of this test process's own,
  // never the user's nor another test's: ctest runs tests side by side, and
  // one test's clean start must not remove the note another has just left.
  static std::string RuntimeFolder() {
#ifdef _WIN32
    const int process = _getpid();
#else
    const int process = static_cast<int>(getpid());
#endif
    return ::testing::TempDir() + "kv7700-runtime-" + std::to_string(process);
  }
  static void UseOwnRuntimeFolder() {
    const std::string folder = RuntimeFolder();
#ifdef _WIN32
    _putenv_s("LOCALAPPDATA", folder.c_str());
#else
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
#endif
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
  }

  VirtualClock clock;
  emu::EmulatedBus bus;
};

}  // namespace kv::testing
