// One conversation at a time: an operation on a sensor another program holds
// waits its turn, and past the wait fails with its group's in-use status and
// the holder's name, having sent nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <kv7700/device_info.h>
#include <kv7700/emulation.h>
#include <kv7700/held_sensor.h>
#include <kv7700/kv7700.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hid/emulated/file_lock.h"
#include "hid/emulated/sensor_file.h"
#include "hid/emulated/sensor_set_probe.h"
#include "support/library_fixture.h"

namespace kv::testing {
namespace {

constexpr const char* kHolder = "kv7700-config, process 1234";

struct HeldCase {
  const char* name;
  int (*run)();
  std::uint32_t status;  // DevError after waiting in vain
};

const HeldCase kOperations[] = {
    {"read", [] { return ReadDevCfg(); }, kGroupRead | kErrSensorInUse},
    {"write",
     [] {
       tsSonarParms sonar;
       GetSonarParms(&sonar);
       sonar.PingRateS = 300;
       SetSonarParms(&sonar);
       return WriteDevCfg();
     },
     kGroupWrite | kErrSensorInUse},
    {"memory command", [] { return SaveUserDefaultsDev(); }, kGroupMemoryCommand | kErrSensorInUse},
    {"range",
     [] {
       RangeInfo range;
       return GetRangeInfo(&range);
     },
     kGroupRange | kErrSensorInUse},
    {"halt", [] { return SendControl(1); }, kErrSensorInUse},
    {"resume", [] { return SendControl(0); }, kErrSensorInUse},
};

// Virtual time that lets a test look in on every wait the library makes.
class WatchedClock final : public Clock {
 public:
  explicit WatchedClock(std::function<void(std::uint32_t)> onSleep)
      : onSleep_(std::move(onSleep)) {}
  std::uint64_t NowMs() override { return now_; }
  void SleepMs(std::uint32_t ms) override {
    onSleep_(ms);
    now_ += ms;
  }

 private:
  std::function<void(std::uint32_t)> onSleep_;
  std::uint64_t now_ = 1'000'000;
};

class SensorHoldTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    sensor = AddSensor(0x0410);
    ASSERT_EQ(ReadDevCfg(), 1);
    sensor->ClearTrace();
  }
  std::shared_ptr<emu::EmulatedSensor> sensor;
};

TEST_F(SensorHoldTest, EachOperationWaitsItsTurnAndGivesUpOnlyPastTheBound) {
  const std::string path = GetDevicePath(0);
  for (const HeldCase& operation : kOperations) {
    SCOPED_TRACE(operation.name);
    // Held briefly: the operation waits, then goes ahead.
    bus.HoldElsewhere(path, kHolder, 3000);
    std::uint64_t start = clock.NowMs();
    EXPECT_EQ(operation.run(), 1);
    EXPECT_GE(clock.NowMs() - start, 3000u);
    EXPECT_FALSE(sensor->TraceCopy().empty());
    EXPECT_EQ(GetSensorHolder(), "");

    // Held past the bound: nothing is sent, the status and holder say why.
    sensor->ClearTrace();
    bus.HoldElsewhere(path, kHolder);
    start = clock.NowMs();
    EXPECT_EQ(operation.run(), 0);
    EXPECT_GE(clock.NowMs() - start, kSensorWaitMs);
    EXPECT_LT(clock.NowMs() - start, kSensorWaitMs + 2 * kSensorPollMs);
    EXPECT_EQ(GetDevError(), operation.status);
    EXPECT_EQ(GetSensorHolder(), kHolder);
    EXPECT_TRUE(sensor->TraceCopy().empty());
    bus.ReleaseElsewhere(path);
  }
  EXPECT_EQ(GetLibError(), kLibErrSendControl) << "halt names itself in LibError";
}

// Another program tries to take the sensor at every report and every wait
// of an operation (the 250 ms answers, a memory command's 2000 ms and its
// read-back, a write's commit): it must find the sensor held every time.
TEST_F(SensorHoldTest, EachOperationHoldsTheSensorFromItsFirstReportToItsLast) {
  std::unique_ptr<hid::HidLayer> other;
  ASSERT_EQ(bus.LoadHid(&other), hid::LoadResult::Ok);
  const hid::Handle otherHandle = other->Open(GetDevicePath(0), nullptr);
  std::vector<std::string> tried;  // where the other program tried
  std::vector<std::string> taken;  // and where it got the sensor
  std::vector<std::string> everywhere;
  const auto attempt = [&](const std::string& where) {
    tried.push_back(where);
    if (other->TryHold(otherHandle)) {
      taken.push_back(where);
      other->Release(otherHandle);
    }
  };
  WatchedClock watched([&](std::uint32_t ms) { attempt("wait " + std::to_string(ms)); });
  SetClock(&watched);
  sensor->SetTraceObserver(
      [&](const emu::TraceEntry& entry) { attempt("report " + std::to_string(entry.bytes[1])); });
  for (const HeldCase& operation : kOperations) {
    SCOPED_TRACE(operation.name);
    tried.clear();
    taken.clear();
    EXPECT_EQ(operation.run(), 1);
    EXPECT_FALSE(tried.empty());
    EXPECT_EQ(taken, std::vector<std::string>{});
    everywhere.insert(everywhere.end(), tried.begin(), tried.end());
  }
  // The tries reached the commit and the memory command's wait.
  EXPECT_THAT(everywhere, ::testing::IsSupersetOf({"report 144", "wait 2000"}));
  sensor->SetTraceObserver(nullptr);
  SetClock(&clock);
  other->Close(otherHandle);
}

TEST_F(SensorHoldTest, AResetHoldsTheSensorThroughItsRepairAndReadBacks) {
  // Firmware 4.0x repairs the idle record after a reset: a write and a
  // second read, which another program must not get in before.
  sensor->SetFirmwareVersion(0x0400);
  const std::string path = GetDevicePath(0);
  int exchanges = 0;
  // The command and the first read-back's 14 reports, then the other
  // program asks for the sensor.
  sensor->SetTraceObserver([&](const emu::TraceEntry&) {
    if (++exchanges == 15) bus.HoldElsewhere(path, kHolder);
  });
  EXPECT_EQ(FactoryResetDev(), 1);
  EXPECT_GT(exchanges, 15);
  sensor->SetTraceObserver(nullptr);
}

TEST_F(SensorHoldTest, InStepWritesGoAheadOnTheSensorsThatCouldBeHad) {
  AddSensor(0x0410);
  SelectDevice(1);
  ASSERT_EQ(ReadDevCfg(), 1);
  bus.HoldElsewhere(GetDevicePath(0), kHolder);
  tsSonarParms sonar;
  for (const SensorIndex index : {SensorIndex{0}, SensorIndex{1}}) {
    SelectDevice(index);
    GetSonarParms(&sonar);
    sonar.PingRateS = 300;
    SetSonarParms(&sonar);
  }
  const std::int16_t both[] = {0, 1};
  EXPECT_EQ(WriteDevCfgOfSensors(both, 2), 0);
  SelectDevice(0);
  EXPECT_EQ(GetDevError(), kGroupWrite | kErrSensorInUse);
  EXPECT_EQ(GetDirtyRecords().sonar, true) << "kept for the next write";
  SelectDevice(1);
  EXPECT_EQ(GetDevError(), 0u);
  ASSERT_EQ(ReadDevCfg(), 1);
  GetSonarParms(&sonar);
  EXPECT_EQ(sonar.PingRateS, 300);
}

// A clock that lets "another program" act whenever this one waits: the
// only moments another program's steps can fall between this one's.
class SteppedClock final : public Clock {
 public:
  explicit SteppedClock(VirtualClock& inner) : inner_(inner) {}
  std::uint64_t NowMs() override { return inner_.NowMs(); }
  void SleepMs(std::uint32_t ms) override {
    inner_.SleepMs(ms);
    if (onSleep) onSleep();
  }
  std::function<void()> onSleep;

 private:
  VirtualClock& inner_;
};

// Another program on the same sensor through a handle of its own, taking it
// the way every program does: the turn first, kept while it waits.
class OtherProgram {
 public:
  OtherProgram(emu::EmulatedBus& bus, const std::string& path) {
    EXPECT_EQ(bus.LoadHid(&layer_), hid::LoadResult::Ok);
    handle_ = layer_->Open(path, nullptr);
  }
  ~OtherProgram() { layer_->Close(handle_); }
  // One try to take the sensor; true when it holds it.
  bool Try() {
    if (!turn_) turn_ = layer_->TryTakeTurn(handle_);
    if (!turn_ || !layer_->TryHold(handle_)) return false;
    layer_->GiveTurn(handle_);
    turn_ = false;
    return true;
  }
  void Release() { layer_->Release(handle_); }

 private:
  std::unique_ptr<hid::HidLayer> layer_;
  hid::Handle handle_ = hid::kInvalidHandle;
  bool turn_ = false;
};

TEST_F(SensorHoldTest, AWaiterGetsTheSensorAfterOneOperationOfAHolderThatLoops) {
  SteppedClock stepped(clock);
  SetClock(&stepped);
  OtherProgram other(bus, GetDevicePath(0));
  for (const HeldCase& operation : kOperations) {
    SCOPED_TRACE(operation.name);
    // Readings back to back: each time this program waits, the other one
    // ends its operation and at once starts the next.
    ASSERT_TRUE(other.Try());
    bool holding = true;
    int operations = 0;
    stepped.onSleep = [&] {
      if (holding) {
        other.Release();
        ++operations;
      }
      holding = other.Try();
    };
    const std::uint64_t start = clock.NowMs();
    EXPECT_EQ(operation.run(), 1);
    EXPECT_LE(operations, 1) << "the waiter went first";
    EXPECT_LT(clock.NowMs() - start, 5000u);
    stepped.onSleep = nullptr;
    if (!holding) holding = other.Try();
    EXPECT_TRUE(holding) << "the other program's turn comes back";
    other.Release();
  }
  SetClock(&clock);
}

TEST_F(SensorHoldTest, SensorsInStepKeepNoneWhileOneOfThemIsBusy) {
  AddSensor(0x0410);
  SteppedClock stepped(clock);
  SetClock(&stepped);
  // The sensor named last is busy for 3 s; the first is read at once and
  // left free for others while this program waits for the busy one.
  bus.HoldElsewhere(GetDevicePath(1), kHolder, 3000);
  OtherProgram other(bus, GetDevicePath(0));
  const std::uint64_t start = clock.NowMs();
  int freeWhileWaiting = 0;
  int keptWhileWaiting = 0;
  stepped.onSleep = [&] {
    const std::uint64_t since = clock.NowMs() - start;
    // The first sensor's own read takes 7 exchanges of 250 ms.
    if (since <= 7 * kExchangeWaitMs || since >= 3000) return;
    if (other.Try()) {
      ++freeWhileWaiting;
      other.Release();
    } else {
      ++keptWhileWaiting;
    }
  };
  const SensorIndex both[] = {0, 1};
  EXPECT_EQ(ReadDevCfgOfSensors(both, 2), 1);
  EXPECT_GT(freeWhileWaiting, 0);
  EXPECT_EQ(keptWhileWaiting, 0);
  stepped.onSleep = nullptr;
  SetClock(&clock);
}

// The session ends while an operation waits for the sensor: the wait gives
// up at once, so the resume of key sends does not queue behind it.
TEST_F(SensorHoldTest, ACancelledWaitGivesUpAndTheNextOneWaitsAgain) {
  SteppedClock stepped(clock);
  SetClock(&stepped);
  bus.HoldElsewhere(GetDevicePath(0), kHolder);
  stepped.onSleep = [] { CancelSensorWaits(); };
  std::uint64_t start = clock.NowMs();
  EXPECT_EQ(ReadDevCfg(), 0);
  EXPECT_EQ(GetDevError(), kGroupRead | kErrSensorInUse);
  EXPECT_EQ(clock.NowMs() - start, kSensorPollMs);
  stepped.onSleep = nullptr;
  start = clock.NowMs();
  EXPECT_EQ(ReadDevCfg(), 0);
  EXPECT_GE(clock.NowMs() - start, kSensorWaitMs);
  SetClock(&clock);
}

// Two programs keeping one sensor in the same file (two sets here, each with
// its own lock descriptor) take turns and each sees what the other wrote.
TEST(SensorFileTurnsTest, TheHolderLoadsTheOthersWriteAndSavesItsOwn) {
  const std::string file = ::testing::TempDir() + "kv7700-turns.json";
  std::remove(file.c_str());
  std::remove((file + ".lock").c_str());
  emu::SensorSet first;
  emu::SensorSet second;
  ASSERT_TRUE(first.Load({file}, nullptr));
  ASSERT_TRUE(second.Load({file}, nullptr));
  std::unique_ptr<hid::HidLayer> a, b;
  ASSERT_EQ(first.Platform().LoadHid(&a), hid::LoadResult::Ok);
  ASSERT_EQ(second.Platform().LoadHid(&b), hid::LoadResult::Ok);
  const hid::Handle ha = a->Open(first.PathOf(0), nullptr);
  const hid::Handle hb = b->Open(second.PathOf(0), nullptr);

  ASSERT_TRUE(a->TryHold(ha));
  EXPECT_FALSE(b->TryHold(hb));
  EXPECT_EQ(b->Holder(hb), emu::ThisProgram());
  emu::SensorSetProbe::Sensor(first, 0).Working()[0][7] = 0x5A;  // the first program's write
  a->Release(ha);

  ASSERT_TRUE(b->TryHold(hb));
  EXPECT_EQ(emu::SensorSetProbe::Sensor(second, 0).Working()[0][7], 0x5A);
  emu::SensorSetProbe::Sensor(second, 0).Working()[1][7] = 0xA5;
  b->Release(hb);

  // The first program ends having changed nothing since: its save at the end
  // must not take the second program's write back.
  ASSERT_TRUE(first.Save(nullptr));
  emu::SensorImage kept;
  ASSERT_TRUE(emu::LoadSensorFile(file, &kept, nullptr));
  EXPECT_EQ(kept.memories.working[0][7], 0x5A);
  EXPECT_EQ(kept.memories.working[1][7], 0xA5);
  a->Close(ha);
  b->Close(hb);
}

}  // namespace
}  // namespace kv::testing
