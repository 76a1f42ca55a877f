// The native backend (hidapi over hidraw, udev) on a machine that may have no
// sensor, no hidraw node and no udev daemon: it must start, find nothing and
// say so with the usual codes, without hanging or leaking descriptors.
#include <gmock/gmock.h>
#include <hidapi/hidapi.h>
#include <kv7700/device_info.h>
#include <kv7700/native_hid.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "hid/linux/hid_id.h"
#include "hid/linux/hidapi_enumeration.h"
#include "hid/linux/hidapi_layer.h"
#include "hid/linux/node_lock.h"
#include "hid/linux/open_failure.h"
#include "support/library_fixture.h"
#include "support/real_sensor.h"

namespace kv {
namespace {

namespace lb = hid::linux_backend;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::size_t OpenDescriptorCount() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

using testing::RealSensorAttached;

class NativeBackendTest : public testing::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    hid::InstallNativePlatform();
  }
  // A regular file that exists but is no HID device.
  std::string PlainFile() {
    const auto path =
        std::filesystem::temp_directory_path() / ("kv-not-hid-" + std::to_string(::getpid()));
    std::ofstream(path) << "x";
    files_.push_back(path);
    return path;
  }
  void TearDown() override {
    for (const auto& file : files_) std::filesystem::remove(file);
    LibraryTest::TearDown();
  }
  std::vector<std::filesystem::path> files_;
};

TEST_F(NativeBackendTest, NoSensorEndsTheListWithTheHidLayerLoaded) {
  if (RealSensorAttached()) GTEST_SKIP() << "a real sensor is attached";
  EXPECT_EQ(OpenAllDevices(nullptr), 0);
  EXPECT_EQ(GetLibError(), kGroupOpenAll | kLibErrEndOfList);
  EXPECT_EQ(GetDeviceCount(), 0);
  EXPECT_NE(GetLibState().HidLayer, nullptr);
  EXPECT_THAT(GetAccessDeniedPaths(), IsEmpty());
}

TEST_F(NativeBackendTest, RealSensorIsOpenedAndRead) {
  if (!RealSensorAttached()) GTEST_SKIP() << "no real sensor attached";
  std::uint32_t firmware = 0;
  const int opened = OpenAllDevices(&firmware);
  if (!opened && !GetAccessDeniedPaths().empty()) {
    GTEST_SKIP() << "the sensor is not ours to open; install res/70-kv7700.rules";
  }
  ASSERT_EQ(opened, 1) << std::hex << "LibError " << GetLibError();
  EXPECT_GE(GetDeviceCount(), 1);
  EXPECT_NE(firmware, 0u);
}

TEST_F(NativeBackendTest, NonSensorPathsAreRefusedUnopened) {
  const std::string plain = PlainFile();
  for (const std::string& path : {std::string("/dev/null"), plain, std::string("/dev/hidraw-none"),
                                  std::string("/dev/") + std::string(200, 'x')}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(hid::NativePlatform().PathNamesSensor(path));
    EXPECT_EQ(DeviceArrived(path.c_str()), 0);
  }
  EXPECT_EQ(GetLibState().HidLayer, nullptr);  // nothing was even loaded to open them
}

TEST_F(NativeBackendTest, OpenTellsMissingFromUnusable) {
  lb::HidapiLayer layer;
  hid::OpenFailure why = hid::OpenFailure::None;
  EXPECT_EQ(layer.Open("/dev/hidraw-none", &why), hid::kInvalidHandle);
  EXPECT_EQ(why, hid::OpenFailure::NotFound);
  // Exist, but are no hidraw nodes: refused, not "denied" (and never handed
  // to hidapi, which mishandles them).
  for (const std::string& path : {PlainFile(), std::string("/dev/null")}) {
    why = hid::OpenFailure::None;
    EXPECT_EQ(layer.Open(path, &why), hid::kInvalidHandle);
    EXPECT_EQ(why, hid::OpenFailure::Other);
  }

  hid::Attributes attributes{1, 2, 3};
  hid::Report report{};
  EXPECT_FALSE(layer.GetAttributes(hid::kInvalidHandle, &attributes));
  EXPECT_EQ(attributes.vendorId, 0);
  EXPECT_FALSE(layer.GetFeature(42, &report));
  EXPECT_FALSE(layer.SetFeature(42, report));
  layer.Close(42);  // unknown handles are ignored
}

TEST_F(NativeBackendTest, RepeatedUseLeaksNoDescriptor) {
  const std::string plain = PlainFile();
  const std::size_t before = OpenDescriptorCount();
  lb::HidapiLayer layer;
  for (int i = 0; i < 1000; ++i) {
    layer.Open("/dev/null", nullptr);
    layer.Open(plain, nullptr);
    hid::NativePlatform().PathNamesSensor("/dev/null");
  }
  for (int i = 0; i < 50; ++i) {
    EXPECT_NE(hid::CreateNativeHotPlugMonitor(nullptr), nullptr);
    EXPECT_EQ(OpenAllDevices(nullptr), 0);
    CloseAllDevices();
  }
  EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST(OpenFailureTest, ErrorNumbersMapToTheUsersSituation) {
  const std::pair<int, hid::OpenFailure> cases[] = {
      {EACCES, hid::OpenFailure::AccessDenied},
      {EPERM, hid::OpenFailure::AccessDenied},
      {ENOENT, hid::OpenFailure::NotFound},
      {ENODEV, hid::OpenFailure::NotFound},
      {ENXIO, hid::OpenFailure::NotFound},
      {EIO, hid::OpenFailure::Other},
      {0, hid::OpenFailure::Other},
  };
  for (const auto& [error, expected] : cases) {
    EXPECT_EQ(lb::OpenFailureFromErrno(error), expected) << "errno " << error;
  }
}

TEST(HidIdTest, ParsesUdevIdentityAndRejectsAnythingElse) {
  EXPECT_EQ(lb::ParseHidId("0003:000018C8:00002BFA"), (lb::HidId{3, 0x18C8, 0x2BFA}));
  EXPECT_EQ(lb::ParseHidId("0003:000004d8:00002bfa"), (lb::HidId{3, 0x04D8, 0x2BFA}));
  EXPECT_EQ(lb::ParseHidId("0005:046D:B01A"), (lb::HidId{5, 0x046D, 0xB01A}));
  for (const char* bad :
       {"", "0003:000018C8", "0003:000018C8:00002BFA:", "0003::2BFA", "0003:000118C8:00002BFA",
        "0003:18C8:2BFA ", "x003:18C8:2BFA", "-003:18C8:2BFA", "0003:+18C8:2BFA"}) {
    EXPECT_EQ(lb::ParseHidId(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(lb::ParseHidId(nullptr), std::nullopt);
}

TEST(HidapiEnumerationTest, EachNodeOnceInTheOrderFirstSeen) {
  // hidapi lists a node once per top-level usage.
  char raw0[] = "/dev/hidraw0", raw1[] = "/dev/hidraw1", raw0again[] = "/dev/hidraw0", empty[] = "";
  hid_device_info infos[5] = {};
  char* paths[5] = {raw0, nullptr, raw1, raw0again, empty};
  for (int i = 0; i < 5; ++i) {
    infos[i].path = paths[i];
    infos[i].next = i < 4 ? &infos[i + 1] : nullptr;
  }
  infos[0].vendor_id = 0x18C8;
  infos[0].product_id = 0x2BFA;
  infos[2].vendor_id = 0x046D;
  infos[2].product_id = 0xC31C;
  std::vector<std::string> listed;
  for (const auto& entry : lb::EntriesFromEnumeration(infos)) {
    EXPECT_EQ(entry.detail, hid::InterfaceEntry::Detail::Ok);
    EXPECT_TRUE(entry.identityListed);  // discovery opens only sensors by these
    listed.push_back(entry.path + " " + std::to_string(entry.vendorId) + ":" +
                     std::to_string(entry.productId));
  }
  EXPECT_THAT(listed, ElementsAre("/dev/hidraw0 6344:11258", "/dev/hidraw1 1133:49948"));
  EXPECT_THAT(lb::EntriesFromEnumeration(nullptr), IsEmpty());
}

// The hold is an flock on a descriptor of its own: a second descriptor of
// the same node waits, and learns from /proc/locks who holds it.
TEST(NodeLockTest, OneDescriptorHoldsTheNodeAndTheOtherNamesItsHolder) {
  const std::string node = ::testing::TempDir() + "kv7700-node-lock";
  std::ofstream(node).put('\n');
  lb::NodeLock first(node);
  lb::NodeLock second(node);
  ASSERT_TRUE(first.TryHold());
  EXPECT_FALSE(second.TryHold());
  std::string comm;
  std::getline(std::ifstream("/proc/self/comm"), comm);
  EXPECT_EQ(second.Holder(), comm + ", process " + std::to_string(::getpid()));
  first.Release();
  EXPECT_TRUE(second.TryHold());
  second.Release();
  // A node that cannot be opened cannot be locked either; it is not refused.
  EXPECT_TRUE(lb::NodeLock(node + ".missing").TryHold());
  std::filesystem::remove(node);
}

}  // namespace
}  // namespace kv
