// The Windows backend on the machine it runs on (Windows, or Wine on the
// build machine): the real HID.DLL and SETUPAPI.DLL loaded by name, the open
// path with its security descriptor, the identity check on a handle that is
// no HID device, sensor paths without regard to case, and device-change
// messages.
#include <gmock/gmock.h>
#include <kv7700/device_info.h>
#include <kv7700/native_hid.h>
#include <kv7700/status_codes.h>
#include <kv7700/utf16.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "hid/windows/device_notifications.h"
#include "hid/windows/hid_layer.h"
#include "hid/windows/interface_mutex.h"
#include "hid/windows/open_security.h"
#include "hid/windows/sensor_path.h"
#include "platform/process_name_windows.h"
// After windows.h, which it needs.
#include <sddl.h>

#include "support/library_fixture.h"

namespace kv {
namespace {

namespace win = hid::windows_backend;

// The library on the native platform, with nothing plugged in.
class NativeLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClock(&clock);
    hid::InstallNativePlatform();
    CloseAllDevices();
  }
  void TearDown() override {
    CloseAllDevices();
    SetClock(nullptr);
  }
  VirtualClock clock;
};

TEST_F(NativeLibraryTest, LoadsBothPlatformLibrariesByNameAndListsTheKeyboardClass) {
  ASSERT_EQ(LoadHidEntryPoints(), 1) << "LibError " << GetLibError();
  EXPECT_EQ(GetLibState().InterfaceGuid, kKeyboardInterfaceClass);
  ASSERT_EQ(LoadSetupEntryPoints(), 1) << "LibError " << GetLibError();
  std::vector<hid::InterfaceEntry> entries;
  EXPECT_TRUE(GetLibState().SetupLayer->List(&entries));
}

TEST_F(NativeLibraryTest, NoSensorIsReportedThroughTheRealLibraries) {
  EXPECT_EQ(OpenAllDevices(nullptr), 0);
  EXPECT_EQ(GetDeviceCount(), 0);
  // The end of the list, or the last keyboard looked at was no sensor.
  EXPECT_THAT(GetLibError(),
              ::testing::AnyOf(kGroupOpenAll | kLibErrEndOfList, kGroupOpenAll | kLibErrNotSensor,
                               kGroupOpenAll | kLibErrOpenFailed));
  EXPECT_NE(GetLibState().HidLayer, nullptr);  // kept until CloseAllDevices
  EXPECT_EQ(GetLibState().SetupLayer, nullptr);
}

TEST_F(NativeLibraryTest, AMissingPathFailsToOpen) {
  DeviceSlot slot = EmptySlot();
  EXPECT_EQ(OpenDevicePath("\\\\?\\HID#Vid_18c8&Pid_2bfa#no-such-interface", &slot),
            hid::kInvalidHandle);
  EXPECT_EQ(GetLibError(), kLibErrOpenFailed);
  EXPECT_EQ(DeviceArrived("\\\\?\\HID#VID_18C8&PID_2BFA#no-such-interface"), 0);
}

TEST_F(NativeLibraryTest, AHandleThatIsNoHidDeviceIsClosedAgainAsNoSensor) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "kv7700-not-a-sensor.txt";
  std::ofstream(file) << "not a HID device\n";
  DeviceSlot slot = EmptySlot();
  // It opens (no access rights asked), but its attributes cannot be read.
  EXPECT_EQ(OpenDevicePath(file.string().c_str(), &slot), hid::kInvalidHandle);
  EXPECT_EQ(GetLibError(), kLibErrNotSensor);
  // Closed again: the file can be removed at once.
  std::error_code error;
  EXPECT_TRUE(std::filesystem::remove(file, error)) << error.message();
}

TEST(WindowsOpenSecurity, GrantsEveryoneThroughANullAccessList) {
  SECURITY_ATTRIBUTES attributes = {};
  ASSERT_EQ(win::MakeOpenSecurity(&attributes), 1);
  EXPECT_EQ(attributes.nLength, sizeof(SECURITY_ATTRIBUTES));
  EXPECT_EQ(attributes.bInheritHandle, FALSE);
  ASSERT_NE(attributes.lpSecurityDescriptor, nullptr);
  EXPECT_TRUE(::IsValidSecurityDescriptor(attributes.lpSecurityDescriptor));
  BOOL present = FALSE;
  BOOL defaulted = TRUE;
  PACL acl = reinterpret_cast<PACL>(1);
  ASSERT_TRUE(
      ::GetSecurityDescriptorDacl(attributes.lpSecurityDescriptor, &present, &acl, &defaulted));
  EXPECT_TRUE(present);
  EXPECT_EQ(acl, nullptr);
  EXPECT_FALSE(defaulted);
  win::FreeOpenSecurity(&attributes);
  EXPECT_EQ(attributes.lpSecurityDescriptor, nullptr);
}

// One interface, named in either case, is one mutex: a thread holding it
// keeps another out until it releases it (Windows' mutexes let their own
// thread in again, so the other side runs on a thread of its own).
TEST(WindowsInterfaceMutex, OnePathInAnyCaseIsOneMutexThatExcludesOthers) {
  const std::string path = "\\\\?\\hid#vid_18c8&pid_2bfa#7&1a2b&0&0000#{4d1e55b2}";
  std::string upper = path;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::wstring name = win::InterfaceMutexName(path, L"Global");
  EXPECT_EQ(name, win::InterfaceMutexName(upper, L"Global"));
  EXPECT_EQ(name.find(L'\\'), std::wstring(L"Global").size()) << "one backslash, the namespace's";

  win::InterfaceMutex mine(path);
  win::InterfaceMutex theirs(upper);
  ASSERT_TRUE(mine.TryHold());
  const auto otherProgram = [&] {
    bool had = false;
    std::thread([&] {
      had = theirs.TryHold();
      if (had) theirs.Release();
    }).join();
    return had;
  };
  EXPECT_FALSE(otherProgram());
  // The other side learns who holds it, as the holder wrote it.
  EXPECT_EQ(theirs.Holder(), kv::ThisProcessDescription());
  mine.Release();
  EXPECT_EQ(theirs.Holder(), "");
  EXPECT_TRUE(otherProgram());
}

// A name someone made first with a DACL that shuts this user out (anyone
// may try that) is a failure that names the lock, never a session-local
// mutex of this program's own that would exclude nobody.
TEST(WindowsInterfaceMutex, AMutexThatCannotBeOpenedIsAFailureThatSaysSo) {
  const std::string path = "\\\\?\\hid#vid_18c8&pid_2bfa#squatted";
  const std::wstring name = win::InterfaceMutexName(path, L"Global");
  PSECURITY_DESCRIPTOR systemOnly = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"O:SYD:(A;;GA;;;SY)", SDDL_REVISION_1, &systemOnly, nullptr));
  SECURITY_ATTRIBUTES security{sizeof(security), systemOnly, FALSE};
  HANDLE squatter = ::CreateMutexW(&security, FALSE, name.c_str());
  ::LocalFree(systemOnly);
  ASSERT_NE(squatter, nullptr) << ::GetLastError();

  win::InterfaceMutex mutex(path);
  const bool held = mutex.TryHold();
  ::CloseHandle(squatter);
  if (held) GTEST_SKIP() << "this system lets its user past any DACL (Wine does not check)";
  EXPECT_NE(mutex.Failure().find(kv::Utf8FromWide(name)), std::string::npos) << mutex.Failure();
  EXPECT_NE(mutex.Failure().find("cannot take turns"), std::string::npos) << mutex.Failure();
}

TEST(WindowsSensorPath, PrefixesOfBothVendorsMatchInAnyCase) {
  EXPECT_EQ(win::SensorPathPrefix(0x18C8, 0x2BFA), "\\\\?\\HID#Vid_18c8&Pid_2bfa");
  const struct {
    const char* path;
    bool sensor;
  } cases[] = {
      {"\\\\?\\HID#Vid_18c8&Pid_2bfa#7&1a2b3c4d&0&0000#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}",
       true},
      {"\\\\?\\hid#VID_04D8&PID_2BFA&MI_00#8&2f&0&0000#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}",
       true},
      {"\\\\?\\HiD#vId_04d8&pId_2BfA", true},
      {"\\\\?\\HID#VID_18C8&PID_2BFB#7&1", false},
      {"\\\\?\\HID#VID_046D&PID_C31C#7&1", false},
      {"\\\\?\\HID#Vid_18c8&Pid_2bf", false},
      {"\\\\.\\HID#Vid_18c8&Pid_2bfa#7&1", false},
      {"/dev/hidraw0", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(win::PathNamesSensor(c.path), c.sensor) << c.path;
}

TEST(WindowsSensorPath, PathsCompareWithoutRegardToCase) {
  EXPECT_TRUE(
      win::PathsEqual("\\\\?\\HID#VID_18C8&PID_2BFA#7&AB", "\\\\?\\hid#vid_18c8&pid_2bfa#7&ab"));
  EXPECT_FALSE(
      win::PathsEqual("\\\\?\\HID#VID_18C8&PID_2BFA#7&AB", "\\\\?\\HID#VID_18C8&PID_2BFA#7&A"));
  EXPECT_FALSE(
      win::PathsEqual("\\\\?\\HID#VID_18C8&PID_2BFA#7&AB", "\\\\?\\HID#VID_18C8&PID_2BFA#7&AC"));
  EXPECT_TRUE(hid::NativePlatform().PathsEqual("ABC", "abc"));
}

// The emulated bus with the platform's case-blind comparison: a removal
// notification may spell the path differently from the enumeration.
class CaseBlindBus final : public hid::Platform {
 public:
  explicit CaseBlindBus(emu::EmulatedBus& bus) : bus_(bus) {}
  hid::LoadResult LoadHid(std::unique_ptr<hid::HidLayer>* out) override {
    return bus_.LoadHid(out);
  }
  hid::LoadResult LoadDeviceList(std::unique_ptr<hid::DeviceList>* out) override {
    return bus_.LoadDeviceList(out);
  }
  bool PathNamesSensor(const std::string& path) override { return bus_.PathNamesSensor(path); }
  bool PathsEqual(const std::string& a, const std::string& b) override {
    return win::PathsEqual(a, b);
  }

 private:
  emu::EmulatedBus& bus_;
};

class CaseBlindRemovalTest : public testing::LibraryTest {};

TEST_F(CaseBlindRemovalTest, ARemovalSpelledInOtherCaseFindsTheSensor) {
  CaseBlindBus platform(bus);
  hid::SetPlatform(&platform);
  AddSensor();
  AddSensor();
  std::string path = GetLibState().Slots[0].DevicePath.data();
  for (char& c : path) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(DeviceRemoved(path.c_str()), 1);
  EXPECT_EQ(GetDeviceCount(), 1);
  hid::SetPlatform(&bus);
}

// --- Feature reports and identity through the layer --------------------------

struct HidCalls {
  std::vector<HANDLE> handles;
  std::vector<ULONG> lengths;
  std::vector<std::uint8_t> firstBytes;
  ULONG attributesSize = 0;
  bool succeed = true;
};
HidCalls g_hid;

BOOLEAN WINAPI FakeGetFeature(HANDLE handle, PVOID buffer, ULONG length) {
  g_hid.handles.push_back(handle);
  g_hid.lengths.push_back(length);
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  g_hid.firstBytes.push_back(bytes[0]);
  for (ULONG i = 1; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(0x10 + i);
  return g_hid.succeed;
}

BOOLEAN WINAPI FakeSetFeature(HANDLE handle, PVOID buffer, ULONG length) {
  g_hid.handles.push_back(handle);
  g_hid.lengths.push_back(length);
  g_hid.firstBytes.push_back(static_cast<std::uint8_t*>(buffer)[1]);
  return g_hid.succeed;
}

BOOLEAN WINAPI FakeGetAttributes(HANDLE, PHIDD_ATTRIBUTES attributes) {
  g_hid.attributesSize = attributes->Size;
  attributes->VendorID = 0x04D8;
  attributes->ProductID = 0x2BFA;
  attributes->VersionNumber = 0x0143;
  return g_hid.succeed;
}

TEST(WindowsHidLayer, FeatureReportsAreNineBytesWithReportIdZero) {
  g_hid = {};
  win::HidEntryPoints entries;
  entries.getFeature = FakeGetFeature;
  entries.setFeature = FakeSetFeature;
  entries.getAttributes = FakeGetAttributes;
  win::WindowsHidLayer layer(win::LoadedModule{}, entries);
  const hid::Handle handle = 0x1234;

  hid::Report report = {};
  ASSERT_TRUE(layer.GetFeature(handle, &report));
  EXPECT_EQ(report[0], 0);
  EXPECT_EQ(report[8], 0x18);
  ASSERT_TRUE(layer.SetFeature(handle, hid::Report{0, 0x90, 0x18}));
  hid::Attributes attributes;
  ASSERT_TRUE(layer.GetAttributes(handle, &attributes));
  EXPECT_EQ(g_hid.attributesSize, sizeof(HIDD_ATTRIBUTES));
  EXPECT_EQ(attributes.vendorId, 0x04D8);
  EXPECT_EQ(attributes.productId, 0x2BFA);
  EXPECT_EQ(attributes.versionNumber, 0x0143);

  EXPECT_THAT(g_hid.lengths, ::testing::ElementsAre(9u, 9u));
  EXPECT_THAT(g_hid.firstBytes, ::testing::ElementsAre(0, 0x90));
  EXPECT_THAT(g_hid.handles, ::testing::Each(reinterpret_cast<HANDLE>(handle)));

  g_hid.succeed = false;
  EXPECT_FALSE(layer.GetFeature(handle, &report));
  EXPECT_FALSE(layer.SetFeature(handle, report));
  EXPECT_FALSE(layer.GetAttributes(handle, &attributes));
  EXPECT_EQ(attributes.vendorId, 0);  // a failed read leaves zeros
}

TEST(WindowsHidLayer, OpenFailuresAreSortedForDiscovery) {
  EXPECT_EQ(win::OpenFailureOf(ERROR_FILE_NOT_FOUND), hid::OpenFailure::NotFound);
  EXPECT_EQ(win::OpenFailureOf(ERROR_ACCESS_DENIED), hid::OpenFailure::AccessDenied);
  EXPECT_EQ(win::OpenFailureOf(ERROR_GEN_FAILURE), hid::OpenFailure::Other);
}

// --- Device-change messages ---------------------------------------------------

std::vector<char> InterfaceMessage(const std::string& name,
                                   DWORD type = DBT_DEVTYP_DEVICEINTERFACE) {
  const std::size_t size = offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name) + name.size() + 1;
  std::vector<char> bytes(size, 0);
  auto* message = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_A*>(bytes.data());
  message->dbcc_size = static_cast<DWORD>(size);
  message->dbcc_devicetype = type;
  std::memcpy(message->dbcc_name, name.c_str(), name.size() + 1);
  return bytes;
}

TEST(WindowsDeviceNotifications, ArrivalAndRemovalOfAnInterfaceCarryItsPath) {
  const std::string path =
      "\\\\?\\HID#VID_18C8&PID_2BFA#7&1#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}";
  std::vector<char> message = InterfaceMessage(path);
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(message.data());
  using Kind = hid::HotPlugEvent::Kind;
  EXPECT_EQ(win::DeviceChangeEvent(DBT_DEVICEARRIVAL, header),
            (hid::HotPlugEvent{Kind::Added, path}));
  EXPECT_EQ(win::DeviceChangeEvent(DBT_DEVICEREMOVECOMPLETE, header),
            (hid::HotPlugEvent{Kind::Removed, path}));
  // Everything else is no concern of ours.
  EXPECT_FALSE(win::DeviceChangeEvent(DBT_DEVICEQUERYREMOVE, header));
  EXPECT_FALSE(win::DeviceChangeEvent(DBT_DEVNODES_CHANGED, nullptr));
  std::vector<char> volume = InterfaceMessage(path, DBT_DEVTYP_VOLUME);
  EXPECT_FALSE(win::DeviceChangeEvent(DBT_DEVICEARRIVAL,
                                      reinterpret_cast<const DEV_BROADCAST_HDR*>(volume.data())));
  // A name that fills its record to the end without a terminator stops there.
  message.back() = 'X';
  EXPECT_EQ(win::DeviceChangeEvent(DBT_DEVICEARRIVAL, header)->path, path + "X");
}

}  // namespace
}  // namespace kv
