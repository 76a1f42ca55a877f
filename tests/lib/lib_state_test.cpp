// The device table and the small queries, over a HID layer that only records
// which handles the library closes.
#include "lib_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace kv {
namespace {

class ClosingLayer final : public hid::HidLayer {
 public:
  explicit ClosingLayer(std::shared_ptr<std::vector<hid::Handle>> closed)
      : closed_(std::move(closed)) {}
  hid::Handle Open(const std::string&, hid::OpenFailure*) override { return hid::kInvalidHandle; }
  void Close(hid::Handle handle) override { closed_->push_back(handle); }
  bool GetAttributes(hid::Handle, hid::Attributes*) override { return false; }
  bool GetFeature(hid::Handle, hid::Report*) override { return false; }
  bool SetFeature(hid::Handle, const hid::Report&) override { return false; }
  bool TryHold(hid::Handle) override { return true; }
  void Release(hid::Handle) override {}
  std::string Holder(hid::Handle) override { return {}; }
  bool TryTakeTurn(hid::Handle) override { return true; }
  void GiveTurn(hid::Handle) override {}

 private:
  std::shared_ptr<std::vector<hid::Handle>> closed_;
};

class DeviceTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CloseAllDevices();
    GetLibState().HidLayer = std::make_unique<ClosingLayer>(closed);
  }
  void TearDown() override { CloseAllDevices(); }

  static DeviceSlot Slot(hid::Handle handle) {
    DeviceSlot slot = EmptySlot();
    slot.Handle = handle;
    slot.FwVersion = static_cast<std::uint16_t>(handle);
    std::snprintf(slot.DevicePath.data(), slot.DevicePath.size(), "/dev/hidraw%zu",
                  static_cast<std::size_t>(handle));
    return slot;
  }
  void Add(hid::Handle handle) {
    const DeviceSlot slot = Slot(handle);
    ASSERT_EQ(UpdateSlotTable(&slot, 0), 1);
  }
  // Handles of slots 0 .. DeviceCount - 1.
  static std::vector<hid::Handle> Handles() {
    std::vector<hid::Handle> handles;
    handles.reserve(static_cast<std::size_t>(GetDeviceCount()));
    for (int i = 0; i < GetDeviceCount(); ++i) handles.push_back(GetLibState().Slots[i].Handle);
    return handles;
  }

  std::shared_ptr<std::vector<hid::Handle>> closed = std::make_shared<std::vector<hid::Handle>>();
};

TEST_F(DeviceTableTest, EmptyTableReadsClearedSlotZero) {
  EXPECT_EQ(GetDeviceCount(), 0);
  EXPECT_EQ(SelectDevice(0), 0);
  EXPECT_EQ(GetLibState().CurrentIndex, 0);
  EXPECT_EQ(GetDevError(), 0u);
  EXPECT_EQ(GetFirmwareVersion(), 0u);
  EXPECT_EQ(GetLibError(), 0u);
  EXPECT_EQ(CurrentSlot().Handle, hid::kInvalidHandle);
}

TEST_F(DeviceTableTest, SelectDeviceAcceptsOnlyOpenSlots) {
  for (hid::Handle h : {0x10, 0x11, 0x12}) Add(h);
  struct Case {
    std::int16_t index;
    int result;
    std::int16_t currentAfter;
  };
  ASSERT_EQ(SelectDevice(1), 1);
  for (const Case& c : {Case{-1, 0, 1}, Case{16, 0, 1}, Case{3, 0, 1}, Case{2, 1, 2}, Case{0, 1, 0},
                        Case{-32768, 0, 0}, Case{32767, 0, 0}}) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(SelectDevice(c.index), c.result);
    EXPECT_EQ(GetLibState().CurrentIndex, c.currentAfter);
  }
  ASSERT_EQ(SelectDevice(2), 1);
  EXPECT_EQ(GetFirmwareVersion(), 0x12);
}

TEST_F(DeviceTableTest, SeventeenthSlotIsRefusedAndNothingCloses) {
  for (hid::Handle h = 1; h <= 16; ++h) Add(h);
  ASSERT_EQ(SelectDevice(5), 1);
  const DeviceSlot extra = Slot(17);
  EXPECT_EQ(UpdateSlotTable(&extra, 0), 0);
  EXPECT_EQ(GetDeviceCount(), 16);
  EXPECT_EQ(GetLibState().CurrentIndex, 0);
  EXPECT_EQ(Handles().back(), 16u);
  EXPECT_TRUE(closed->empty());
}

TEST_F(DeviceTableTest, RemovingTheMiddleOfThreeClosesUpInOrder) {
  for (hid::Handle h : {0x10, 0x11, 0x12}) Add(h);
  ASSERT_EQ(SelectDevice(2), 1);
  const DeviceSlot middle = Slot(0x11);
  EXPECT_EQ(UpdateSlotTable(&middle, 1), 1);
  EXPECT_EQ(Handles(), (std::vector<hid::Handle>{0x10, 0x12}));
  EXPECT_EQ(*closed, std::vector<hid::Handle>{0x11});
  EXPECT_EQ(GetLibState().CurrentIndex, 0);
  // The moved slot came whole, path and all; the freed slot is empty.
  EXPECT_STREQ(GetLibState().Slots[1].DevicePath.data(), "/dev/hidraw18");
  EXPECT_EQ(GetLibState().Slots[2].Handle, hid::kInvalidHandle);
}

TEST_F(DeviceTableTest, UnknownOrEmptyRecordsChangeNothingButTheCurrentSensor) {
  for (hid::Handle h : {0x10, 0x11}) Add(h);
  const DeviceSlot unknown = Slot(0x99);
  const DeviceSlot invalid = EmptySlot();  // must not match the empty slots above the table
  for (const DeviceSlot* record : {&unknown, &invalid, static_cast<const DeviceSlot*>(nullptr)}) {
    ASSERT_EQ(SelectDevice(1), 1);
    EXPECT_EQ(UpdateSlotTable(record, 1), 0);
    EXPECT_EQ(Handles(), (std::vector<hid::Handle>{0x10, 0x11}));
    EXPECT_EQ(GetLibState().CurrentIndex, 0);
  }
  ASSERT_EQ(SelectDevice(1), 1);
  EXPECT_EQ(UpdateSlotTable(nullptr, 0), 0);
  EXPECT_EQ(GetLibState().CurrentIndex, 0);
  EXPECT_TRUE(closed->empty());
}

TEST_F(DeviceTableTest, DamagedCountIsBoundedAndEmptySlotsAreDropped) {
  for (hid::Handle h : {0x10, 0x11}) Add(h);
  GetLibState().DeviceCount = 40;  // a full table, as far as the count says
  const DeviceSlot extra = Slot(0x12);
  EXPECT_EQ(UpdateSlotTable(&extra, 0), 0);
  EXPECT_EQ(Handles(), (std::vector<hid::Handle>{0x10, 0x11}));
}

TEST_F(DeviceTableTest, CloseAllClosesEveryHandleUnloadsAndResets) {
  for (hid::Handle h : {0x10, 0x11, 0x12}) Add(h);
  LibState& state = GetLibState();
  state.LibError = 7;
  state.InterfaceGuid = kKeyboardInterfaceClass;
  state.LastReserved2WU = 0x33;
  state.LastReserved1I = 0x44;
  ASSERT_EQ(SelectDevice(2), 1);

  EXPECT_EQ(CloseAllDevices(), 1);
  EXPECT_EQ(*closed, (std::vector<hid::Handle>{0x10, 0x11, 0x12}));
  EXPECT_FALSE(state.HidLayer);
  EXPECT_EQ(state.DeviceCount, 0);
  EXPECT_EQ(state.CurrentIndex, 0);
  EXPECT_EQ(state.LibError, 0u);
  EXPECT_EQ(state.InterfaceGuid, Guid{});
  EXPECT_EQ(state.ReportLength, 9);
  for (const DeviceSlot& slot : state.Slots) {
    EXPECT_EQ(slot.Handle, hid::kInvalidHandle);
    EXPECT_EQ(slot.FwVersion, 0);
    EXPECT_EQ(slot.DevicePath[0], '\0');
  }
  // The reserved words outlive the table: the next write still sends them.
  EXPECT_EQ(state.LastReserved2WU, 0x33);
  EXPECT_EQ(state.LastReserved1I, 0x44);
}

TEST_F(DeviceTableTest, CloseAllOnAnEmptyTableStillUnloadsTheLayer) {
  EXPECT_EQ(CloseAllDevices(), 1);
  EXPECT_FALSE(GetLibState().HidLayer);
  EXPECT_TRUE(closed->empty());
}

TEST(LibraryQueries, VersionGuidAndAvailability) {
  std::uint16_t major = 0, minor = 9, build = 9;
  EXPECT_EQ(GetLibVersion(&major, nullptr, nullptr), 1);
  EXPECT_EQ(major, 5);
  EXPECT_EQ(GetLibVersion(nullptr, &minor, &build), 1);
  EXPECT_EQ(minor, 5);
  EXPECT_EQ(build, 0);

  ASSERT_EQ(CloseAllDevices(), 1);  // the class is a constant, layer or not
  Guid guid;
  EXPECT_EQ(GetHidGuid(&guid), 1);
  EXPECT_EQ(guid,
            (Guid{0x884B96C3, 0x56EF, 0x11D1, {0xBC, 0x8C, 0x00, 0xA0, 0xC9, 0x14, 0x05, 0xDD}}));
  EXPECT_EQ(GetHidGuid(nullptr), 1);
  EXPECT_EQ(ApiAvailable(), 1);
}

}  // namespace
}  // namespace kv
