// Every operation that talks to a sensor, with the sensor refusing, or
// vanishing at, each of the operation's reports in turn. For each failure:
// the status word names the operation and the failed exchange; the cache,
// the dirty flags, RecordsValid and the firmware version are exactly as the
// operation had left them just before that report (nothing rolled back,
// nothing invented); the sensor's memories are untouched by the failed report
// (so no commit follows a failed write); and the operation run again
// succeeds after a refusal and fails at its first report after a vanish.
#include <gtest/gtest.h>
#include <kv7700/kv7700.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hid/emulated/emulated_bus.h"
#include "lib/sensor_trace.h"
#include "support/library_fixture.h"

namespace kv {
namespace {

using emu::Fault;
using emu::Memory;
using testing::CachedWord;

// What the reports of an operation do, in the order they are sent.
enum class Phase { Command, Read, Write, Range, Control };
struct Segment {
  Phase phase;
  int reports;
};
constexpr Segment kRead{Phase::Read, 14};
// Reports of a read after which the answers carrying the reserved words have
// arrived, and where those words sit among the 48 cached ones.
constexpr int kWalkUpCodesAnswered = 10;
constexpr int kIdleAnswered = 12;
constexpr std::size_t kReserved2WUWord = 24 + 9;
constexpr std::size_t kReserved1IWord = 40;

struct Operation {
  const char* name;
  std::uint16_t firmware;
  bool opened;  // false: the sensor is not in the table yet
  std::vector<Segment> segments;
  std::function<int()> run;
  bool startHalted = false;  // the sensor's key sends are halted beforehand
  // Run again after a failure; the operation itself when empty.
  std::function<int()> again = {};
};

// A configuration that differs from the others with another seed in every
// block, each value in range so that the read's clamp leaves it alone.
Memory MakeMemory(std::uint8_t seed) {
  const auto s = seed;
  return Memory{{
      {0x03, static_cast<std::uint8_t>(60 + s), 40, static_cast<std::uint8_t>(20 + s),
       static_cast<std::uint8_t>(150 + s), 5, 6, 7},
      {2, static_cast<std::uint8_t>(4 + s), 1, 2, 3, 4, 5, 6},
      {0x01, 9, static_cast<std::uint8_t>(0x04 + s), 0x05, 0, 0, 0, 0},
      {3, static_cast<std::uint8_t>(2 + s), 0, 0, 0, 0, 0, s},
      {0x02, static_cast<std::uint8_t>(0x20 + s), 0x1E, 0x1F, 0x20, 0, 0, 0},
      {static_cast<std::uint8_t>(0x0A + s), static_cast<std::uint8_t>(30 + s), 0x01, 0x28, 0x01, 10,
       60, 2},
  }};
}

// What the library and the sensor hold at one moment, status words aside.
struct State {
  std::array<std::uint16_t, 48> words{};
  std::array<std::uint32_t, 5> flags{};  // RecordsValid and the four dirty flags
  std::uint16_t firmware = 0;
  std::uint16_t lastReserved2WU = 0;
  std::uint16_t lastReserved1I = 0;
  emu::EmulatedSensor::Memories memories;
  bool halted = false;
};

void ExpectSame(const State& actual, const State& expected) {
  EXPECT_EQ(actual.words, expected.words);
  EXPECT_EQ(actual.flags, expected.flags) << "RecordsValid and the dirty flags";
  EXPECT_EQ(actual.firmware, expected.firmware);
  EXPECT_EQ(actual.lastReserved2WU, expected.lastReserved2WU);
  EXPECT_EQ(actual.lastReserved1I, expected.lastReserved1I);
  EXPECT_EQ(actual.memories.working, expected.memories.working) << "the sensor's memory";
  EXPECT_EQ(actual.memories.user, expected.memories.user) << "the sensor's user defaults";
  EXPECT_EQ(actual.halted, expected.halted) << "key sends halted";
}

State Take(const emu::EmulatedSensor& sensor) {
  LibState& lib = GetLibState();
  DeviceSlot& slot = lib.Slots[0];
  State state;
  for (std::size_t n = 0; n < state.words.size(); ++n) state.words[n] = CachedWord(slot, n);
  state.flags = {slot.RecordsValid, slot.SonarDirty, slot.WalkAwayDirty, slot.WalkUpDirty,
                 slot.IdleDirty};
  state.firmware = slot.FwVersion;
  state.lastReserved2WU = lib.LastReserved2WU;
  state.lastReserved1I = lib.LastReserved1I;
  state.memories = sensor.CopyMemories();
  state.halted = sensor.KeySendsHalted();
  return state;
}

// The status word a failure at report `index` (0-based) of `phase` leaves.
std::uint32_t ExpectedDevError(Phase phase, int index) {
  const std::uint32_t exchange = index % 2 == 0 ? kErrSetFailed : kErrGetFailed;
  switch (phase) {
    case Phase::Command:
      return kGroupMemoryCommand | kErrSetFailed;
    case Phase::Read:
      return kGroupRead | exchange;
    case Phase::Write:
      return kGroupWrite | kErrSetFailed;
    case Phase::Range:
      return kGroupRange | exchange;
    case Phase::Control:
      return kErrSetFailed;
  }
  return 0;
}

class FaultMatrixTest : public testing::LibraryTest {
 protected:
  void TearDown() override {
    CloseAllDevices();
    hid::SetPlatform(&bus);
    LibraryTest::TearDown();
  }

  // A bus of its own with one sensor holding configuration B, user defaults
  // U; when `op.opened`, the library has read it while it held A, has every
  // record dirty, and the firmware has been updated since.
  std::shared_ptr<emu::EmulatedSensor> Prepare(const Operation& op) {
    CloseAllDevices();
    ownBus = std::make_unique<emu::EmulatedBus>();
    hid::SetPlatform(ownBus.get());
    auto sensor = std::make_shared<emu::EmulatedSensor>(op.firmware);
    path = ownBus->PlugSensor(sensor);
    sensor->UserDefaults() = MakeMemory(3);
    if (op.startHalted) sensor->OnSetFeature(testing::RequestBytes(0xB1));
    if (op.opened) {
      sensor->Working() = MakeMemory(1);
      EXPECT_EQ(DeviceArrived(path.c_str()), 1);
      EXPECT_EQ(ReadDevCfg(), 1);
      const DeviceSlot slot = CurrentSlot();
      EXPECT_EQ(SetSonarParms(&slot.Records.Sonar), 1);
      EXPECT_EQ(SetWalkAwayParms(&slot.Records.WalkAway), 1);
      EXPECT_EQ(SetWalkUpParms(&slot.Records.WalkUp), 1);
      EXPECT_EQ(SetIdleParms(&slot.Records.Idle), 1);
      sensor->SetFirmwareVersion(op.firmware + 1);
    }
    sensor->Working() = MakeMemory(2);
    sensor->ClearTrace();
    // Library-wide, left by whatever ran before: the same for every run.
    GetLibState().LastReserved2WU = 0x77;
    GetLibState().LastReserved1I = 0x0E;
    return sensor;
  }

  std::unique_ptr<emu::EmulatedBus> ownBus;
  std::string path;
};

TEST_F(FaultMatrixTest, EveryReportOfEveryOperationRefusedOrVanishing) {
  RangeInfo range{};
  const RangeInfo untouched{0xAAAA, 0xBBBB, 0xCCCC, 0xDDDD};
  const std::vector<Operation> operations = {
      {"ReadDevCfg", 0x0144, true, {kRead}, [] { return ReadDevCfg(); }},
      {"WriteDevCfg", 0x0144, true, {{Phase::Write, 13}}, [] { return WriteDevCfg(); }},
      {"FactoryResetDev",
       0x0144,
       true,
       {{Phase::Command, 1}, kRead},
       [] { return FactoryResetDev(); }},
      {"FactoryResetDev with the idle repair",
       0x0401,
       true,
       {{Phase::Command, 1}, kRead, {Phase::Write, 3}, kRead},
       [] { return FactoryResetDev(); }},
      {"RestoreUserDefaultsDev",
       0x0400,
       true,
       {{Phase::Command, 1}, kRead},
       [] { return RestoreUserDefaultsDev(); }},
      {"SaveUserDefaultsDev",
       0x0400,
       true,
       {{Phase::Command, 1}, kRead},
       [] { return SaveUserDefaultsDev(); }},
      {"GetRangeInfo", 0x0144, true, {{Phase::Range, 2}}, [&] { return GetRangeInfo(&range); }},
      {"SendControl halt", 0x0144, true, {{Phase::Control, 1}}, [] { return SendControl(1); }},
      {"SendControl resume",
       0x0144,
       true,
       {{Phase::Control, 1}},
       [] { return SendControl(0); },
       true},
      {"arrival, then the read of sensor 0",
       0x0144,
       false,
       {kRead},
       [&] {
         EXPECT_EQ(DeviceArrived(path.c_str()), 1);
         return SelectDevice(0) && ReadDevCfg();
       },
       false,
       [] { return ReadDevCfg(); }},
      {"OpenAllDevices",
       0x0144,
       false,
       {kRead},
       [] { return OpenAllDevices(nullptr); },
       false,
       [] { return ReadDevCfg(); }},
  };

  for (const Operation& op : operations) {
    // The clean run, with the state just before each report.
    auto sensor = Prepare(op);
    const State initial = Take(*sensor);
    std::vector<State> before;
    sensor->SetTraceObserver([&](const emu::TraceEntry&) { before.push_back(Take(*sensor)); });
    range = untouched;
    ASSERT_EQ(op.run(), 1) << op.name;
    const State clean = Take(*sensor);
    sensor->SetTraceObserver(nullptr);
    int reports = 0;
    for (const Segment& segment : op.segments) reports += segment.reports;
    ASSERT_EQ(static_cast<int>(before.size()), reports) << op.name;
    // The observer sees each report after the sensor took it; the library's
    // side is still as it was before the report.
    std::vector<emu::EmulatedSensor::Memories> sensorBefore{initial.memories};
    std::vector<bool> haltedBefore{initial.halted};
    for (const State& s : before) {
      sensorBefore.push_back(s.memories);
      haltedBefore.push_back(s.halted);
    }

    int n = 0;
    for (std::size_t seg = 0; seg < op.segments.size(); ++seg) {
      const Segment segment = op.segments[seg];
      const int segmentStart = n;
      for (int index = 0; index < segment.reports; ++index, ++n) {
        for (const Fault fault : {Fault::Refuse, Fault::Vanish}) {
          SCOPED_TRACE(::testing::Message()
                       << op.name << ", " << (fault == Fault::Refuse ? "refused" : "vanished")
                       << " at report " << n + 1);
          sensor = Prepare(op);
          sensor->FailAtExchange(n + 1, fault);
          range = untouched;
          EXPECT_EQ(op.run(), 0);

          EXPECT_EQ(GetDevError(), ExpectedDevError(segment.phase, index));
          if (segment.phase == Phase::Control) {
            EXPECT_EQ(GetLibError(), kLibErrSendControl);
          }
          if (std::string(op.name) == "OpenAllDevices") {
            EXPECT_NE(GetLibError() & kGroupOpenAll, 0u);
          }
          EXPECT_EQ(GetDeviceCount(), 1) << "a failing sensor stays in the table";
          EXPECT_EQ(range, untouched);

          // The library as it was just before the failing report.
          State expected = before[n];
          expected.memories = sensorBefore[n];
          expected.halted = haltedBefore[n];
          // The reserved words a write sends back are those of the latest
          // walk-up and idle answers, taken when the read ends.
          if (segment.phase == Phase::Read && index >= kWalkUpCodesAnswered) {
            expected.lastReserved2WU = expected.words[kReserved2WUWord];
          }
          if (segment.phase == Phase::Read && index >= kIdleAnswered) {
            expected.lastReserved1I = expected.words[kReserved1IWord];
          }
          const State now = Take(*sensor);
          ExpectSame(now, expected);

          // The flags the operations promise, spelt out.
          const State& atSegment = before[segmentStart];
          if (segment.phase == Phase::Read && index >= 12) {
            EXPECT_EQ(now.flags, (std::array<std::uint32_t, 5>{1, 0, 0, 0, 0}))
                << "the records arrived: valid and clean, only the version failed";
          } else {
            EXPECT_EQ(now.flags, atSegment.flags) << "valid and dirty flags kept";
          }
          if (segment.phase == Phase::Write) {
            for (const emu::TraceEntry& entry : sensor->TraceCopy()) {
              EXPECT_FALSE(entry.ok && entry.direction == emu::Direction::Set &&
                           entry.bytes[1] == 0x90)
                  << "a commit after a failed write";
            }
          }

          // Again: the whole operation from the start.
          sensor->SetTraceObserver(nullptr);
          sensor->ClearTrace();
          range = untouched;
          const std::function<int()>& again = op.again ? op.again : op.run;
          if (fault == Fault::Refuse) {
            EXPECT_EQ(again(), 1) << "the next try";
            ExpectSame(Take(*sensor), clean);
          } else {
            EXPECT_EQ(again(), 0) << "the sensor is gone";
            EXPECT_EQ(GetDevError(), ExpectedDevError(op.segments[0].phase, 0));
            EXPECT_EQ(sensor->TraceCopy().size(), 1u) << "nothing after the first report";
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace kv
