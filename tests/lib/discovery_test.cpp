// Discovery over the emulated bus: enumeration, opening, arrival and removal,
// with the status words the configurator and the tools rely on.
#include <gmock/gmock.h>
#include <kv7700/device_info.h>

#include <cctype>
#include <string>
#include <vector>

#include "support/library_fixture.h"

namespace kv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint16_t kForeignVendor = 0x046D;
constexpr std::uint16_t kForeignProduct = 0xC31C;

// Wraps the bus and records every path the library asks the HID layer to
// open, so a test can tell "refused" from "opened and closed again".
class OpenRecorder final : public hid::Platform {
 public:
  explicit OpenRecorder(hid::Platform& inner) : inner_(inner) {}

  hid::LoadResult LoadHid(std::unique_ptr<hid::HidLayer>* out) override {
    std::unique_ptr<hid::HidLayer> layer;
    const hid::LoadResult result = inner_.LoadHid(&layer);
    if (layer) *out = std::make_unique<Layer>(std::move(layer), &opened);
    return result;
  }
  hid::LoadResult LoadDeviceList(std::unique_ptr<hid::DeviceList>* out) override {
    return inner_.LoadDeviceList(out);
  }
  bool PathNamesSensor(const std::string& path) override { return inner_.PathNamesSensor(path); }

  std::vector<std::string> opened;

 private:
  class Layer final : public hid::HidLayer {
   public:
    Layer(std::unique_ptr<hid::HidLayer> inner, std::vector<std::string>* opened)
        : inner_(std::move(inner)), opened_(opened) {}
    hid::Handle Open(const std::string& path, hid::OpenFailure* why) override {
      opened_->push_back(path);
      return inner_->Open(path, why);
    }
    void Close(hid::Handle h) override { inner_->Close(h); }
    bool GetAttributes(hid::Handle h, hid::Attributes* out) override {
      return inner_->GetAttributes(h, out);
    }
    bool GetFeature(hid::Handle h, hid::Report* r) override { return inner_->GetFeature(h, r); }
    bool SetFeature(hid::Handle h, const hid::Report& r) override {
      return inner_->SetFeature(h, r);
    }
    bool TryHold(hid::Handle h) override { return inner_->TryHold(h); }
    void Release(hid::Handle h) override { inner_->Release(h); }
    std::string Holder(hid::Handle h) override { return inner_->Holder(h); }
    bool TryTakeTurn(hid::Handle h) override { return inner_->TryTakeTurn(h); }
    void GiveTurn(hid::Handle h) override { inner_->GiveTurn(h); }

   private:
    std::unique_ptr<hid::HidLayer> inner_;
    std::vector<std::string>* opened_;
  };
  hid::Platform& inner_;
};

class DiscoveryTest : public testing::LibraryTest {
 protected:
  std::string Plug(std::uint16_t firmware = 0x0144, std::uint16_t vendor = emu::kSensorVendor) {
    return bus.PlugSensor(std::make_shared<emu::EmulatedSensor>(firmware), vendor);
  }
  static std::string PathOf(int index) { return GetLibState().Slots[index].DevicePath.data(); }
  static std::vector<std::string> TablePaths() {
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(GetDeviceCount()));
    for (int i = 0; i < GetDeviceCount(); ++i) paths.push_back(PathOf(i));
    return paths;
  }
};

TEST_F(DiscoveryTest, NoSensorFailsWithEndOfListAndKeepsTheHidLayer) {
  bus.PlugOther(kForeignVendor, kForeignProduct);
  std::uint32_t firmware = 0xDEAD;
  EXPECT_EQ(OpenAllDevices(&firmware), 0);
  EXPECT_EQ(GetLibError(), kGroupOpenAll | kLibErrEndOfList);
  EXPECT_EQ(GetDeviceCount(), 0);
  EXPECT_EQ(firmware, 0xDEADu);
  EXPECT_NE(GetLibState().HidLayer, nullptr);
  EXPECT_EQ(GetLibState().InterfaceGuid, kKeyboardInterfaceClass);
  EXPECT_EQ(GetLibState().SetupLayer, nullptr);  // only alive during one enumeration
  EXPECT_EQ(bus.OpenHandleCount(), 0u);          // the keyboard was closed again
}

// A program that installed no platform gets no hardware it did not ask for:
// discovery fails as with a missing HID library, and no path is a sensor's.
TEST_F(DiscoveryTest, WithoutAPlatformOpeningFailsAsAMissingHidLibrary) {
  const std::string path = Plug();
  hid::SetPlatform(nullptr);
  EXPECT_EQ(OpenAllDevices(nullptr), 0);
  EXPECT_EQ(GetLibError(), kGroupOpenAll | kLibErrHidLoad);
  EXPECT_EQ(GetDeviceCount(), 0);
  EXPECT_FALSE(hid::GetPlatform().PathNamesSensor(path));
}

TEST_F(DiscoveryTest, OpensAndReadsEverySensorInListOrder) {
  const std::string first = Plug(0x0143);
  bus.PlugOther(kForeignVendor, kForeignProduct);
  const std::string second = Plug(0x0400, emu::kSensorVendorAlt);
  std::uint32_t firmware = 0;
  ASSERT_EQ(OpenAllDevices(&firmware), 1);
  EXPECT_THAT(TablePaths(), ElementsAre(first, second));
  EXPECT_EQ(firmware, 0x0143u);  // sensor 0's own version, from its configuration read
  EXPECT_EQ(GetLibState().CurrentIndex, 0);
  EXPECT_EQ(GetLibState().Slots[0].RecordsValid, 1u);
  EXPECT_EQ(GetLibState().Slots[1].RecordsValid, 1u);
  EXPECT_EQ(GetLibError(), kLibErrEndOfList);  // the last discovery code stands
  EXPECT_EQ(bus.OpenHandleCount(), 2u);
  EXPECT_EQ(OpenAllDevices(nullptr), 0);    // a second call refuses...
  EXPECT_EQ(GetLibError(), kGroupOpenAll);  // ...with exactly the group bit
  EXPECT_THAT(TablePaths(), ElementsAre(first, second));
  EXPECT_EQ(bus.OpenHandleCount(), 2u);
}

TEST_F(DiscoveryTest, SeventeenthSensorIsNotOpened) {
  std::vector<std::string> paths;
  paths.reserve(17);
  for (int i = 0; i < 17; ++i) paths.push_back(Plug());
  ASSERT_EQ(OpenAllDevices(nullptr), 1);
  EXPECT_EQ(GetDeviceCount(), kMaxDevices);
  EXPECT_EQ(bus.OpenHandleCount(), 16u);
  EXPECT_EQ(TablePaths(), std::vector<std::string>(paths.begin(), paths.begin() + 16));
}

TEST_F(DiscoveryTest, OpenDevicePathFillsTheSlotOrClosesANonSensor) {
  const std::string sensor =
      bus.PlugSensor(std::make_shared<emu::EmulatedSensor>(), emu::kSensorVendor, 0x0142);
  const std::string lookalike = bus.PlugOther(emu::kSensorVendor, 0x2BFB);

  DeviceSlot slot = EmptySlot();
  const hid::Handle handle = OpenDevicePath(sensor.c_str(), &slot);
  ASSERT_NE(handle, hid::kInvalidHandle);
  EXPECT_EQ(slot.Handle, handle);
  EXPECT_EQ(slot.FwVersion, 0x0142);  // the USB release number until the first read
  EXPECT_EQ(std::string(slot.DevicePath.data()), sensor);
  EXPECT_EQ(slot.RecordsValid, 0u);
  EXPECT_EQ(slot.DevError, 0u);

  DeviceSlot other = EmptySlot();
  EXPECT_EQ(OpenDevicePath(lookalike.c_str(), &other), hid::kInvalidHandle);
  EXPECT_EQ(GetLibError(), kLibErrNotSensor);
  EXPECT_EQ(OpenDevicePath("/dev/hidraw-nothing", &other), hid::kInvalidHandle);
  EXPECT_EQ(GetLibError(), kLibErrOpenFailed);
  EXPECT_EQ(OpenDevicePath(nullptr, &other), hid::kInvalidHandle);
  EXPECT_EQ(bus.OpenHandleCount(), 1u);  // only the sensor stays open
  GetLibState().HidLayer->Close(handle);
}

TEST_F(DiscoveryTest, AnInterfaceListedWithForeignIdsIsNeverOpened) {
  const std::string keyboard = bus.PlugOther(kForeignVendor, kForeignProduct);
  const std::string lookalike = bus.PlugOther(emu::kSensorVendor, 0x2BFB);
  const std::string sensor = Plug();
  const struct {
    const char* name;
    bool listsIdentity;
    std::vector<std::string> opened;
  } cases[] = {
      {"ids listed (hidapi)", true, {sensor}},
      {"paths alone: each one opened and checked", false, {keyboard, lookalike, sensor}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OpenRecorder recorder(bus);
    hid::SetPlatform(&recorder);
    bus.SetListsIdentity(c.listsIdentity);
    ASSERT_EQ(OpenAllDevices(nullptr), 1);
    EXPECT_EQ(recorder.opened, c.opened);
    EXPECT_THAT(TablePaths(), ElementsAre(sensor));
    EXPECT_EQ(bus.OpenHandleCount(), 1u);
    CloseAllDevices();
    hid::SetPlatform(&bus);
  }
}

TEST_F(DiscoveryTest, LongPathIsKeptTruncatedAndTerminated) {
  const std::string path = "/dev/" + std::string(200, 'x');
  bus.PlugSensor(std::make_shared<emu::EmulatedSensor>(), emu::kSensorVendor, 0x0100, path);
  ASSERT_EQ(OpenAllDevices(nullptr), 1);
  EXPECT_EQ(PathOf(0), path.substr(0, kMaxPathLength));
}

TEST_F(DiscoveryTest, LayerFailuresLeaveTheirCodes) {
  struct Case {
    const char* name;
    void (*arrange)(emu::EmulatedBus&);
    std::uint32_t code;
    bool hidLoaded;
  };
  const Case cases[] = {
      {"HID library missing",
       [](emu::EmulatedBus& b) { b.SetHidLoadResult(hid::LoadResult::LibraryMissing); },
       kLibErrHidLoad, false},
      {"HID entry point missing",
       [](emu::EmulatedBus& b) { b.SetHidLoadResult(hid::LoadResult::EntryPointMissing); },
       kLibErrHidEntry, false},
      {"list library missing",
       [](emu::EmulatedBus& b) { b.SetListLoadResult(hid::LoadResult::LibraryMissing); },
       kLibErrSetupLoad, true},
      {"list entry point missing",
       [](emu::EmulatedBus& b) { b.SetListLoadResult(hid::LoadResult::EntryPointMissing); },
       kLibErrSetupEntry, true},
      {"list fails", [](emu::EmulatedBus& b) { b.SetListFails(true); }, kLibErrListFailed, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    emu::EmulatedBus fresh;
    hid::SetPlatform(&fresh);
    fresh.PlugSensor(std::make_shared<emu::EmulatedSensor>());
    c.arrange(fresh);
    EXPECT_EQ(OpenAllDevices(nullptr), 0);
    EXPECT_EQ(GetLibError(), kGroupOpenAll | c.code);
    EXPECT_EQ(GetDeviceCount(), 0);
    EXPECT_EQ(GetLibState().HidLayer != nullptr, c.hidLoaded);
    EXPECT_EQ(GetLibState().SetupLayer, nullptr);
    EXPECT_EQ(fresh.OpenHandleCount(), 0u);
    CloseAllDevices();
    hid::SetPlatform(&bus);
  }
}

TEST_F(DiscoveryTest, DetailFailuresSkipOneInterfaceOrEndTheList) {
  struct Case {
    hid::InterfaceEntry::Detail detail;
    int opened;  // of the two sensors behind the failing one
    std::uint32_t libError;
  };
  const Case cases[] = {
      {hid::InterfaceEntry::Detail::ReadFailed, 1, kLibErrEndOfList},
      {hid::InterfaceEntry::Detail::SizeQueryFailed, 0, kGroupOpenAll | kLibErrDetailSize},
      {hid::InterfaceEntry::Detail::AllocFailed, 0, kGroupOpenAll | kLibErrDetailAlloc},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.detail));
    emu::EmulatedBus fresh;
    hid::SetPlatform(&fresh);
    const std::string broken = fresh.PlugSensor(std::make_shared<emu::EmulatedSensor>());
    const std::string good = fresh.PlugSensor(std::make_shared<emu::EmulatedSensor>());
    fresh.SetDetailFailure(broken, c.detail);
    EXPECT_EQ(OpenAllDevices(nullptr), c.opened);
    EXPECT_EQ(GetLibError(), c.libError);
    EXPECT_EQ(GetDeviceCount(), c.opened);
    if (c.opened) {
      EXPECT_EQ(PathOf(0), good);
    }
    CloseAllDevices();
    hid::SetPlatform(&bus);
  }
}

TEST_F(DiscoveryTest, OneFailedReadFailsTheStartButEverySensorStaysOpen) {
  Plug();
  const std::string middle = Plug();
  Plug();
  bus.SensorAt(middle)->FailAt(emu::Direction::Get, 1);
  EXPECT_EQ(OpenAllDevices(nullptr), 0);
  EXPECT_EQ(GetLibError() & kGroupOpenAll, kGroupOpenAll);
  EXPECT_EQ(GetDeviceCount(), 3);
  EXPECT_EQ(bus.OpenHandleCount(), 3u);
  EXPECT_EQ(GetLibState().CurrentIndex, 0);
  EXPECT_EQ(GetLibState().Slots[0].RecordsValid, 1u);
  EXPECT_EQ(GetLibState().Slots[2].RecordsValid, 0u);  // reading stopped at the failure
}

TEST_F(DiscoveryTest, ArrivalOpensOnlySensorsAndNeverTouchesOtherDevices) {
  OpenRecorder recorder(bus);
  hid::SetPlatform(&recorder);
  const std::string alt = Plug(0x0144, emu::kSensorVendorAlt);
  const std::string main = Plug();
  const std::string keyboard = bus.PlugOther(kForeignVendor, kForeignProduct);
  const std::string lookalike = bus.PlugOther(emu::kSensorVendor, 0x2BFB);

  EXPECT_EQ(DeviceArrived(keyboard.c_str()), 0);
  EXPECT_EQ(DeviceArrived(lookalike.c_str()), 0);
  EXPECT_EQ(DeviceArrived("/dev/hidraw-never-plugged"), 0);
  EXPECT_EQ(DeviceArrived(nullptr), 0);
  EXPECT_THAT(recorder.opened, IsEmpty());

  EXPECT_EQ(DeviceArrived(alt.c_str()), 1);
  EXPECT_EQ(DeviceArrived(main.c_str()), 1);
  EXPECT_EQ(DeviceArrived(main.c_str()), 0);  // already in the table
  EXPECT_THAT(recorder.opened, ElementsAre(alt, main));
  EXPECT_THAT(TablePaths(), ElementsAre(alt, main));
  EXPECT_EQ(GetLibState().Slots[1].RecordsValid, 0u);  // arrival reads nothing
  EXPECT_EQ(bus.OpenHandleCount(), 2u);
}

TEST_F(DiscoveryTest, PathsLongerThanASlotAreRefusedBothWays) {
  const std::string atLimit = "/dev/" + std::string(kMaxPathLength - 5, 'a');
  const std::string tooLong = "/dev/" + std::string(kMaxPathLength - 4, 'b');
  bus.PlugSensor(std::make_shared<emu::EmulatedSensor>(), emu::kSensorVendor, 0x0100, atLimit);
  bus.PlugSensor(std::make_shared<emu::EmulatedSensor>(), emu::kSensorVendor, 0x0100, tooLong);
  EXPECT_EQ(DeviceArrived(tooLong.c_str()), 0);
  EXPECT_EQ(DeviceArrived(atLimit.c_str()), 1);
  EXPECT_EQ(DeviceRemoved((atLimit + "c").c_str()), 0);
  EXPECT_EQ(DeviceRemoved(atLimit.c_str()), 1);
  EXPECT_EQ(bus.OpenHandleCount(), 0u);
}

TEST_F(DiscoveryTest, RemovingTheMiddleOfThreeClosesUpTheTable) {
  const std::string a = Plug(), b = Plug(), c = Plug();
  for (const auto& path : {a, b, c}) ASSERT_EQ(DeviceArrived(path.c_str()), 1);
  SelectDevice(2);

  std::string upper = b;
  for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  EXPECT_EQ(DeviceRemoved(upper.c_str()), 0);  // Linux names are case-sensitive
  EXPECT_EQ(DeviceRemoved("/dev/hidraw-never-opened"), 0);
  EXPECT_EQ(DeviceRemoved(nullptr), 0);
  EXPECT_EQ(GetDeviceCount(), 3);

  bus.Unplug(b);
  EXPECT_EQ(DeviceRemoved(b.c_str()), 1);
  EXPECT_THAT(TablePaths(), ElementsAre(a, c));
  EXPECT_EQ(GetLibState().CurrentIndex, 0);
  EXPECT_EQ(bus.OpenHandleCount(), 2u);
}

TEST_F(DiscoveryTest, ArrivalAtAFullTableIsRefusedAndClosed) {
  for (int i = 0; i < kMaxDevices; ++i) ASSERT_EQ(DeviceArrived(Plug().c_str()), 1);
  const std::string extra = Plug();
  EXPECT_EQ(DeviceArrived(extra.c_str()), 0);
  EXPECT_EQ(GetDeviceCount(), kMaxDevices);
  EXPECT_EQ(bus.OpenHandleCount(), static_cast<std::size_t>(kMaxDevices));
}

TEST_F(DiscoveryTest, SensorsDeniedToThisUserAreReportedApart) {
  const std::string denied = Plug();
  const std::string deniedKeyboard = bus.PlugOther(kForeignVendor, kForeignProduct);
  bus.DenyAccess(denied);
  bus.DenyAccess(deniedKeyboard);

  EXPECT_EQ(OpenAllDevices(nullptr), 0);
  EXPECT_EQ(GetLibError(), kGroupOpenAll | kLibErrEndOfList);  // the codes stay as they were
  EXPECT_THAT(GetAccessDeniedPaths(), ElementsAre(denied));    // only sensors matter

  // The user installs the rule and plugs the sensor in again.
  bus.DenyAccess(denied, false);
  EXPECT_EQ(DeviceArrived(denied.c_str()), 1);
  EXPECT_THAT(GetAccessDeniedPaths(), IsEmpty());

  const std::string another = Plug();
  bus.DenyAccess(another);
  EXPECT_EQ(DeviceArrived(another.c_str()), 0);
  EXPECT_EQ(GetLibError(), kLibErrOpenFailed);
  EXPECT_THAT(GetAccessDeniedPaths(), ElementsAre(another));
  bus.Unplug(another);
  EXPECT_EQ(DeviceRemoved(another.c_str()), 0);
  EXPECT_THAT(GetAccessDeniedPaths(), IsEmpty());
}

}  // namespace
}  // namespace kv
