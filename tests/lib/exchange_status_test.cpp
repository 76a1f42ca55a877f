// The status words every sensor operation leaves when a feature exchange
// fails, for each way an exchange can fail.
#include <gtest/gtest.h>

#include <functional>

#include "support/library_fixture.h"

namespace kv {
namespace {

using emu::Direction;

enum class Failure { NoHidLayer, NoSensor, NoGetEntry, NoSetEntry, SetRefused, GetRefused };

struct StatusCase {
  Failure setup;
  const char* name;
  std::uint32_t read, write, memory, range;  // DevError after each; 0 means success
  std::uint32_t controlDevError;             // DevError after a refused SendControl
  bool controlFails;
};

// Read, write, memory command (factory reset), range query and key-send
// control, one row per failure. The group bit names the operation, the low
// bits the exchange; without a HID layer only the group bit is left.
const StatusCase kCases[] = {
    {Failure::NoHidLayer, "no HID layer", 0x20000, 0x40000, 0x80000, 0x1000000, 0, true},
    {Failure::NoSensor, "no open handle", 0x20200, 0x40200, 0x80200, 0x1000200, 0x200, true},
    {Failure::NoSetEntry, "set entry missing", 0x20201, 0x40201, 0x80201, 0x1000201, 0x201, true},
    {Failure::SetRefused, "set refused", 0x20202, 0x40202, 0x80202, 0x1000202, 0x202, true},
    {Failure::NoGetEntry, "get entry missing", 0x20101, 0, 0x20101, 0x1000101, 0, false},
    {Failure::GetRefused, "get refused", 0x20102, 0, 0x20102, 0x1000102, 0, false},
};

class ExchangeStatusTest : public testing::LibraryTest {
 protected:
  void Prepare(Failure setup) {
    CloseAllDevices();
    bus.SetEntryPoints(setup != Failure::NoGetEntry, setup != Failure::NoSetEntry);
    if (setup == Failure::NoHidLayer) return;
    if (setup == Failure::NoSensor) {
      ASSERT_EQ(bus.LoadHid(&GetLibState().HidLayer), hid::LoadResult::Ok);
      return;
    }
    auto sensor = AddSensor();
    if (setup == Failure::SetRefused) sensor->FailAt(Direction::Set, 1);
    if (setup == Failure::GetRefused) sensor->FailAt(Direction::Get, 1);
    // A record to send, so a write has more to do than its commit.
    CurrentSlot().SonarDirty = 1;
    CurrentSlot().Records.Sonar = tsSonarParms{0, 200, 40, 14, 36, 10, 2, 0};
  }
};

TEST_F(ExchangeStatusTest, EveryOperationLeavesItsGroupAndTheExchangeCode) {
  for (const StatusCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::pair<std::function<int()>, std::uint32_t> operations[] = {
        {[] { return ReadDevCfg(); }, c.read},
        {[] { return WriteDevCfg(); }, c.write},
        {[] { return FactoryResetDev(); }, c.memory},
        {[] {
           RangeInfo info;
           return GetRangeInfo(&info);
         },
         c.range},
    };
    for (const auto& [operation, expected] : operations) {
      Prepare(c.setup);
      CurrentSlot().DevError = 0xDEAD;  // every operation starts from its own value
      EXPECT_EQ(operation(), expected == 0 ? 1 : 0);
      EXPECT_EQ(GetDevError(), expected) << std::hex << GetDevError();
    }

    Prepare(c.setup);
    GetLibState().LibError = 7;
    EXPECT_EQ(SendControl(1), c.controlFails ? 0 : 1);
    EXPECT_EQ(GetLibError(), c.controlFails ? kLibErrSendControl : 0u);
    EXPECT_EQ(GetDevError(), c.controlDevError);
  }
}

TEST_F(ExchangeStatusTest, ExchangesUseTheCurrentSensorOnly) {
  auto first = AddSensor(0x0144);
  auto second = AddSensor(0x0150);
  ASSERT_EQ(SelectDevice(1), 1);
  ASSERT_EQ(ReadDevCfg(), 1);
  EXPECT_EQ(GetFirmwareVersion(), 0x0150);
  EXPECT_TRUE(first->TraceCopy().empty());
  EXPECT_EQ(second->TraceCopy().size(), 14u);
  EXPECT_EQ(GetLibState().Slots[0].RecordsValid, 0u);
}

}  // namespace
}  // namespace kv
