// Hot-plug monitors: the emulated bus raises the same reports as udev, on a
// descriptor that the window and the tool watch, and a long run of plugging
// and pulling leaks neither descriptors nor handles.
#include <gmock/gmock.h>
#include <kv7700/hot_plug.h>
#include <kv7700/native_hid.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <poll.h>
#endif

#include <filesystem>
#include <thread>

#include "hid/emulated/emulated_monitor.h"
#include "support/library_fixture.h"

namespace kv {
namespace {

using Kind = hid::HotPlugEvent::Kind;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

#if defined(_WIN32)
bool Readable(hid::WaitObject event) {
  return ::WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

std::size_t OpenDescriptorCount() {
  DWORD count = 0;
  ::GetProcessHandleCount(::GetCurrentProcess(), &count);
  return count;
}

bool IsWaitObject(hid::WaitObject event) {
  return event != nullptr;
}
constexpr const char* kInterfacePathStart = "\\\\?\\";
#else
bool Readable(hid::WaitObject fd) {
  pollfd watch{fd, POLLIN, 0};
  return ::poll(&watch, 1, 0) == 1 && (watch.revents & POLLIN);
}

std::size_t OpenDescriptorCount() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

bool IsWaitObject(hid::WaitObject fd) {
  return fd >= 0;
}
constexpr const char* kInterfacePathStart = "/dev/";
#endif

class HotPlugTest : public testing::LibraryTest {};

TEST_F(HotPlugTest, EmulatedBusReportsPlugAndPullInOrder) {
  int error = -1;
  auto monitor = emu::MonitorBus(bus, &error);
  ASSERT_NE(monitor, nullptr);
  EXPECT_EQ(error, 0);
  EXPECT_FALSE(Readable(monitor->Waitable()));

  const std::string sensor = bus.PlugSensor(std::make_shared<emu::EmulatedSensor>());
  const std::string keyboard = bus.PlugOther(0x046D, 0xC31C);
  bus.Unplug(sensor);
  ASSERT_TRUE(Readable(monitor->Waitable()));
  EXPECT_THAT(monitor->ReadEvents(), ElementsAre(hid::HotPlugEvent{Kind::Added, sensor},
                                                 hid::HotPlugEvent{Kind::Added, keyboard},
                                                 hid::HotPlugEvent{Kind::Removed, sensor}));
  EXPECT_FALSE(Readable(monitor->Waitable()));
  EXPECT_THAT(monitor->ReadEvents(), IsEmpty());
}

TEST_F(HotPlugTest, EventsPostedFromAnotherThreadWakeTheWatcher) {
  auto monitor = emu::MonitorBus(bus, nullptr);
  ASSERT_NE(monitor, nullptr);
  std::string path;
  std::thread demo([&] { path = bus.PlugSensor(std::make_shared<emu::EmulatedSensor>()); });
  demo.join();
  ASSERT_TRUE(Readable(monitor->Waitable()));
  EXPECT_THAT(monitor->ReadEvents(), ElementsAre(hid::HotPlugEvent{Kind::Added, path}));
}

TEST_F(HotPlugTest, DestroyedMonitorLetsGoOfTheBus) {
  auto first = emu::MonitorBus(bus, nullptr);
  bus.PlugOther(0x046D, 0xC31C);
  first.reset();
  bus.PlugOther(0x046D, 0xC31D);  // nobody listens: nothing happens
  auto second = emu::MonitorBus(bus, nullptr);
  const std::string later = bus.PlugOther(0x046D, 0xC31E);
  EXPECT_THAT(second->ReadEvents(), ElementsAre(hid::HotPlugEvent{Kind::Added, later}));
}

TEST_F(HotPlugTest, NativeMonitorStartsAndStaysQuietWithoutADeviceManager) {
  int error = -1;
  auto monitor = hid::CreateNativeHotPlugMonitor(&error);
  ASSERT_NE(monitor, nullptr) << "error " << error;
  EXPECT_EQ(error, 0);
  EXPECT_TRUE(IsWaitObject(monitor->Waitable()));
  // No sensor is plugged during the test, so nothing concerns us; reading
  // must return at once whatever else the machine does.
  for (const auto& event : monitor->ReadEvents()) {
    EXPECT_EQ(event.path.rfind(kInterfacePathStart, 0), 0u) << event.path;
  }
}

TEST_F(HotPlugTest, ThousandPlugAndPullCyclesLeakNothing) {
  auto monitor = emu::MonitorBus(bus, nullptr);
  ASSERT_NE(monitor, nullptr);
  const std::string resident = bus.PlugSensor(std::make_shared<emu::EmulatedSensor>());
  ASSERT_EQ(DeviceArrived(resident.c_str()), 1);
  monitor->ReadEvents();
  const std::size_t descriptors = OpenDescriptorCount();

  // Each cycle goes the way the window goes: the monitor's events drive
  // DeviceArrived and DeviceRemoved.
  int arrived = 0, removed = 0;
  for (int cycle = 0; cycle < 1000; ++cycle) {
    const std::string path = bus.PlugSensor(std::make_shared<emu::EmulatedSensor>());
    const std::string keyboard = bus.PlugOther(0x046D, 0xC31C);
    for (const auto& event : monitor->ReadEvents()) {
      ASSERT_EQ(event.kind, Kind::Added);
      arrived += DeviceArrived(event.path.c_str());
    }
    ASSERT_EQ(GetDeviceCount(), 2);
    bus.Unplug(path);
    bus.Unplug(keyboard);
    for (const auto& event : monitor->ReadEvents()) {
      ASSERT_EQ(event.kind, Kind::Removed);
      removed += DeviceRemoved(event.path.c_str());
    }
    ASSERT_EQ(GetDeviceCount(), 1);
  }
  EXPECT_EQ(arrived, 1000);
  EXPECT_EQ(removed, 1000);
  EXPECT_EQ(bus.OpenHandleCount(), 1u);
  EXPECT_EQ(OpenDescriptorCount(), descriptors);
  EXPECT_EQ(std::string(GetLibState().Slots[0].DevicePath.data()), resident);
}

}  // namespace
}  // namespace kv
