// The emulated firmware, driven by raw reports as a host would send them.
#include "hid/emulated/emulated_sensor.h"

#include <gtest/gtest.h>
#include <kv7700/clock.h>

#include <vector>

namespace kv::emu {
namespace {

Report Request(std::uint8_t command, std::uint8_t byte2 = 0) {
  return Report{0, command, byte2, 0, 0, 0, 0, 0, 0};
}

Report Data(const Block& block) {
  Report report{};
  std::copy(block.begin(), block.end(), report.begin() + 1);
  return report;
}

Block DataOf(const Report& report) {
  Block block{};
  std::copy(report.begin() + 1, report.end(), block.begin());
  return block;
}

class EmulatedSensorTest : public ::testing::Test {
 protected:
  void SetUp() override { SetClock(&clock); }
  void TearDown() override { SetClock(nullptr); }

  bool Send(const Report& report) { return sensor.OnSetFeature(report); }
  Report Fetch() {
    Report report{};
    EXPECT_TRUE(sensor.OnGetFeature(&report));
    return report;
  }
  // A read exchange done right: request, 250 ms, fetch.
  Block Read(std::uint8_t command) {
    EXPECT_TRUE(Send(Request(command)));
    clock.Advance(kAnswerDelayMs);
    return DataOf(Fetch());
  }
  // A write exchange done right: request, 250 ms, data report.
  void Write(std::uint8_t command, const Block& block) {
    EXPECT_TRUE(Send(Request(command)));
    clock.Advance(kAnswerDelayMs);
    EXPECT_TRUE(Send(Data(block)));
  }

  VirtualClock clock;
  EmulatedSensor sensor{0x0144};
};

TEST_F(EmulatedSensorTest, ReadCommandsAnswerTheirWorkingBlockAfter250Ms) {
  for (std::uint8_t n = 0; n < 6; ++n) {
    sensor.Working()[n] = Block{n, 0x80, 0xFF, 1, 2, 3, 4, static_cast<std::uint8_t>(0xF0 + n)};
  }
  for (std::uint8_t n = 0; n < 6; ++n) {
    EXPECT_EQ(Read(0x80 + n), sensor.Working()[n]) << "command 0x8" << int(n);
  }
}

TEST_F(EmulatedSensorTest, AFetchBeforeTheAnswerIsReadyGetsThePreviousAnswer) {
  sensor.Working()[1] = Block{1, 1, 1, 1, 1, 1, 1, 1};
  sensor.Working()[2] = Block{2, 2, 2, 2, 2, 2, 2, 2};

  ASSERT_TRUE(Send(Request(0x81)));
  EXPECT_EQ(Fetch(), Report{}) << "nothing answered yet";
  clock.Advance(kAnswerDelayMs - 1);
  EXPECT_EQ(Fetch(), Report{});
  clock.Advance(1);
  EXPECT_EQ(DataOf(Fetch()), sensor.Working()[1]);

  ASSERT_TRUE(Send(Request(0x82)));
  clock.Advance(100);
  EXPECT_EQ(DataOf(Fetch()), sensor.Working()[1]) << "stale: the previous answer";
  clock.Advance(150);
  EXPECT_EQ(DataOf(Fetch()), sensor.Working()[2]);
}

TEST_F(EmulatedSensorTest, VersionAnswerCarriesDeviceWordFirmwareAndNibbles) {
  sensor.SetFirmwareVersion(0x0401);
  sensor.SetDeviceWord(0x1234);
  sensor.SetVersionNibbles({1, 2, 0x0F, 0x3C});
  EXPECT_EQ(Read(0x8A), (Block{0x34, 0x12, 0x01, 0x04, 1, 2, 0x0F, 0x0C}));
}

TEST_F(EmulatedSensorTest, AWriteWithoutCommitChangesNothing) {
  const Memory before = sensor.Working();
  for (std::uint8_t n = 0; n < 6; ++n) Write(0x80 + n, Block{0x11, 0x22, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(sensor.Working(), before);
  EXPECT_EQ(Read(0x80), before[0]);
}

TEST_F(EmulatedSensorTest, CommitTakesOnlyTheStagedBlocksItsMaskNames) {
  const Memory before = sensor.Working();
  const Block first{0x03, 0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0xFF};  // stored as received
  const Block second{0x7F, 9, 8, 7, 6, 5, 4, 3};
  Write(0x81, first);
  Write(0x82, second);
  ASSERT_TRUE(Send(Request(0x90, 0x02 | 0x08)));  // 0x83 was never staged

  Memory expected = before;
  expected[1] = first;
  EXPECT_EQ(sensor.Working(), expected);

  // The commit ended the write: the other staged half is gone.
  ASSERT_TRUE(Send(Request(0x90, 0x04)));
  EXPECT_EQ(sensor.Working(), expected);
}

TEST_F(EmulatedSensorTest, DataReportsWithoutTheirRequestOrTooEarlyAreLost) {
  const Memory before = sensor.Working();
  // Too early: 249 ms after the request.
  ASSERT_TRUE(Send(Request(0x80)));
  clock.Advance(kAnswerDelayMs - 1);
  ASSERT_TRUE(Send(Data(Block{1, 1, 1, 1, 1, 1, 1, 1})));
  // No request before it (the previous data report used it up).
  Write(0x85, Block{2, 2, 2, 2, 2, 2, 2, 2});
  ASSERT_TRUE(Send(Data(Block{3, 3, 3, 3, 3, 3, 3, 3})));
  // A request that names no block.
  ASSERT_TRUE(Send(Request(0x8F)));
  clock.Advance(kAnswerDelayMs);
  ASSERT_TRUE(Send(Data(Block{4, 4, 4, 4, 4, 4, 4, 4})));
  ASSERT_TRUE(Send(Request(0x90, 0x3F)));

  Memory expected = before;
  expected[5] = Block{2, 2, 2, 2, 2, 2, 2, 2};
  EXPECT_EQ(sensor.Working(), expected);
}

TEST_F(EmulatedSensorTest, MemoryCommandsMoveWholeMemoriesAtOnce) {
  const Memory factory = sensor.FactoryDefaults();
  const Block custom{0, 60, 40, 10, 200, 5, 5, 0};
  Write(0x80, custom);
  ASSERT_TRUE(Send(Request(0x90, 0x01)));
  ASSERT_TRUE(Send(Request(0xE0)));  // save as user defaults
  EXPECT_EQ(sensor.UserDefaults()[0], custom);
  clock.Advance(kMemoryBusyMs);

  ASSERT_TRUE(Send(Request(0xA0)));  // factory defaults
  EXPECT_EQ(sensor.Working(), factory);
  EXPECT_EQ(sensor.UserDefaults()[0], custom) << "factory reset keeps the user defaults";
  clock.Advance(kMemoryBusyMs);
  EXPECT_EQ(Read(0x80), factory[0]);

  ASSERT_TRUE(Send(Request(0xD0)));  // user defaults back
  clock.Advance(kMemoryBusyMs);
  EXPECT_EQ(Read(0x80), custom);
}

TEST_F(EmulatedSensorTest, AfterAMemoryCommandEveryReportFor2000MsGoesUnheard) {
  const Block custom{0, 60, 40, 10, 200, 5, 5, 0};
  sensor.UserDefaults()[0] = custom;
  for (const std::uint8_t command : {0xA0, 0xD0, 0xE0}) {
    SCOPED_TRACE(::testing::Message() << "command 0x" << std::hex << int(command));
    sensor.Working()[3] = Block{3, 3, 3, 3, 3, 3, 3, 3};
    const Block stale = Read(0x83);
    ASSERT_TRUE(Send(Request(command)));
    const Memory after = sensor.Working();  // the memory is rewritten at once

    // Until 2000 ms later the firmware is busy: a write or a halt is lost, and
    // a request prepares nothing, so its fetch gets the stale answer.
    clock.Advance(1000);
    Write(0x85, Block{9, 9, 9, 9, 9, 9, 9, 9});
    EXPECT_TRUE(Send(Request(0x90, 0x20)));
    EXPECT_TRUE(Send(Request(0xB1)));
    EXPECT_EQ(sensor.Working(), after);
    EXPECT_FALSE(sensor.KeySendsHalted());
    clock.Advance(kMemoryBusyMs - 1000 - 2 * kAnswerDelayMs - 1);
    EXPECT_TRUE(Send(Request(0x80)));
    clock.Advance(kAnswerDelayMs);
    EXPECT_EQ(DataOf(Fetch()), stale);

    // From 2000 ms on it answers again.
    clock.Advance(1);
    EXPECT_EQ(Read(0x80), after[0]);
    EXPECT_TRUE(sensor.Trace().back().ok);
  }
}

TEST_F(EmulatedSensorTest, CommandReportsWithStrayBytesAreRefusedAndHaveNoEffect) {
  struct Case {
    Report report;
    bool accepted;
  };
  const Case cases[] = {
      {Report{0, 0x80, 0, 0, 0, 0, 0, 0, 1}, false},
      {Report{0, 0x8A, 1, 0, 0, 0, 0, 0, 0}, false},
      {Report{0, 0x90, 0x01, 0, 0, 0, 0, 0, 0x80}, false},
      {Report{0, 0x90, 0x01, 1, 0, 0, 0, 0, 0}, false},
      {Report{0, 0xA0, 0, 0, 0, 0, 0x10, 0, 0}, false},
      {Report{0, 0xB1, 0xB1, 0, 0, 0, 0, 0, 0}, false},
      {Report{0, 0xFF, 0, 0, 0, 0, 0, 0, 2}, false},
      {Report{0, 0x90, 0xFF, 0, 0, 0, 0, 0, 0}, true},  // the mask is the commit's argument
      {Report{0, 0xB1, 0, 0, 0, 0, 0, 0, 0}, true},
  };
  for (const Case& c : cases) {
    EmulatedSensor fresh{0x0144};
    const Memory before = fresh.Working();
    // A staged sonar block that a wrongly accepted commit would take.
    ASSERT_TRUE(fresh.OnSetFeature(Request(0x80)));
    clock.Advance(kAnswerDelayMs);
    ASSERT_TRUE(fresh.OnSetFeature(Data(Block{0x7F, 1, 2, 3, 4, 5, 6, 7})));

    EXPECT_EQ(fresh.OnSetFeature(c.report), c.accepted) << ::testing::PrintToString(c.report);
    EXPECT_EQ(fresh.Trace().back().ok, c.accepted);
    if (c.accepted) continue;
    EXPECT_EQ(fresh.Working(), before) << ::testing::PrintToString(c.report);
    EXPECT_FALSE(fresh.KeySendsHalted());
    EXPECT_FALSE(fresh.Vanished());
  }
}

TEST_F(EmulatedSensorTest, RangeAnswerFromTheTarget) {
  struct Case {
    double inches;
    std::uint8_t minTicks, maxTicks, statusBits;
    std::uint8_t d1, d2;
  };
  const Case cases[] = {
      {30, 49, 125, 0, 0x01, 104},  // 104.17 ticks
      {14, 49, 125, 0, 0x01, 49},   // 48.61 rounds up, at the minimum
      {36, 49, 124, 0, 0x00, 125},  // 124.99 rounds up, past the maximum
      {13.9, 49, 125, 0x06, 0x06, 48},
      {10, 0, 255, 0xFF, 0x07, 35},  // only bits 1 and 2 are extra status
      {100, 0, 255, 0, 0x00, 255},   // 347 ticks, clipped, not in range
      {-5, 0, 10, 0, 0x01, 0},
  };
  for (const Case& c : cases) {
    sensor.Working()[0][3] = c.minTicks;
    sensor.Working()[0][4] = c.maxTicks;
    sensor.SetRangeStatusBits(c.statusBits);
    sensor.SetTarget(c.inches);
    const Block answer = Read(0x8F);
    EXPECT_EQ(answer[0], c.d1) << c.inches << " inches";
    EXPECT_EQ(answer[1], c.d2) << c.inches << " inches";
  }
}

TEST_F(EmulatedSensorTest, TargetMovesWithTheClockAndStopsAtZero) {
  sensor.SetTarget(10, 4);  // walking away at 4 inches per second
  clock.Advance(2500);
  EXPECT_DOUBLE_EQ(sensor.TargetInches(), 20);
  EXPECT_EQ(Read(0x8F)[1], 69);  // measured when asked: 20 inches

  sensor.SetTarget(3, -2);
  clock.Advance(10'000);
  EXPECT_DOUBLE_EQ(sensor.TargetInches(), 0);
}

TEST_F(EmulatedSensorTest, HaltAndResumeKeySends) {
  EXPECT_FALSE(sensor.KeySendsHalted());
  ASSERT_TRUE(Send(Request(0xB1)));
  EXPECT_TRUE(sensor.KeySendsHalted());
  ASSERT_TRUE(Send(Request(0xB1)));
  EXPECT_TRUE(sensor.KeySendsHalted());
  ASSERT_TRUE(Send(Request(0xB0)));
  EXPECT_FALSE(sensor.KeySendsHalted());
}

TEST_F(EmulatedSensorTest, InjectedFaultsHitExactlyTheChosenExchange) {
  struct Case {
    const char* name;
    std::function<void(EmulatedSensor&)> plan;
    std::vector<bool> expected;  // outcome of set, get, set, get, set, get
  };
  const std::vector<Case> cases = {
      {"2nd set refused",
       [](auto& s) { s.FailAt(Direction::Set, 2); },
       {true, true, false, true, true, true}},
      {"1st get refused",
       [](auto& s) { s.FailAt(Direction::Get, 1); },
       {true, false, true, true, true, true}},
      {"4th exchange refused",
       [](auto& s) { s.FailAtExchange(4); },
       {true, true, true, false, true, true}},
      {"2nd get vanishes",
       [](auto& s) { s.FailAt(Direction::Get, 2, Fault::Vanish); },
       {true, true, true, false, false, false}},
      {"3rd exchange vanishes",
       [](auto& s) { s.FailAtExchange(3, Fault::Vanish); },
       {true, true, false, false, false, false}},
      {"vanish now", [](auto& s) { s.Vanish(); }, {false, false, false, false, false, false}},
  };
  for (const Case& c : cases) {
    EmulatedSensor s;
    c.plan(s);
    std::vector<bool> outcome;
    for (int i = 0; i < 3; ++i) {
      outcome.push_back(s.OnSetFeature(Request(0x80)));
      Report report{};
      outcome.push_back(s.OnGetFeature(&report));
    }
    EXPECT_EQ(outcome, c.expected) << c.name;
    ASSERT_EQ(s.Trace().size(), 6u) << c.name;
    for (std::size_t i = 0; i < outcome.size(); ++i) {
      EXPECT_EQ(s.Trace()[i].ok, outcome[i]) << c.name << ", exchange " << i + 1;
    }
  }
}

TEST_F(EmulatedSensorTest, ARefusedReportHasNoEffect) {
  const Memory before = sensor.Working();
  Write(0x80, Block{0, 1, 2, 3, 4, 5, 6, 7});
  sensor.FailAt(Direction::Set, 1);
  EXPECT_FALSE(Send(Request(0x90, 0x01)));
  EXPECT_EQ(sensor.Working(), before);

  sensor.FailAt(Direction::Set, 1);
  EXPECT_FALSE(Send(Request(0xB1)));
  EXPECT_FALSE(sensor.KeySendsHalted());
  EXPECT_FALSE(sensor.Vanished());
}

TEST_F(EmulatedSensorTest, ReportsWithANonZeroIdAreRefused) {
  EXPECT_FALSE(Send(Report{1, 0xB1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(sensor.KeySendsHalted());
  Report report{};
  report[0] = 2;
  EXPECT_FALSE(sensor.OnGetFeature(&report));
}

TEST_F(EmulatedSensorTest, TraceRecordsEveryReportWithItsTimeAndTellsTheObserver) {
  std::vector<TraceEntry> observed;
  sensor.SetTraceObserver([&](const TraceEntry& entry) { observed.push_back(entry); });
  const std::uint64_t start = clock.NowMs();
  sensor.FailAt(Direction::Get, 2);
  Read(0x8A);
  Report refused{};
  EXPECT_FALSE(sensor.OnGetFeature(&refused));

  const std::vector<TraceEntry>& trace = sensor.Trace();
  ASSERT_EQ(trace.size(), 3u);
  EXPECT_EQ(trace[0].direction, Direction::Set);
  EXPECT_EQ(trace[0].bytes, Request(0x8A));
  EXPECT_EQ(trace[0].atMs, start);
  EXPECT_EQ(trace[1].direction, Direction::Get);
  EXPECT_EQ(trace[1].bytes, (Report{0, 0x00, 0x77, 0x44, 0x01, 0, 0, 0, 0}));
  EXPECT_EQ(trace[1].atMs, start + 250);
  EXPECT_FALSE(trace[2].ok);
  EXPECT_EQ(trace[2].bytes, Report{});
  EXPECT_EQ(observed.size(), 3u);

  sensor.SetTraceLimit(2);
  EXPECT_EQ(sensor.Trace().size(), 2u);
  Send(Request(0xB0));
  ASSERT_EQ(sensor.Trace().size(), 2u);
  EXPECT_EQ(sensor.Trace()[1].bytes, Request(0xB0));
}

}  // namespace
}  // namespace kv::emu
