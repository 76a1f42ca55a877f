// Distance readings on the Misc. page: the single reading, auto ranging with
// its three states, and the range group's visibility.
#include <functional>

#include "misc_page_fixture.h"

namespace kv::ui::testing {
namespace {

using emu::Direction;
using M = MiscPage;

// Where the range group stands: Off, Running or Halted.
struct RangeState {
  bool timer;
  bool boxChecked;
  bool getRangeEnabled;
  bool operator==(const RangeState&) const = default;
};
constexpr RangeState kOff{false, false, true};
constexpr RangeState kRunning{true, true, false};
constexpr RangeState kHalted{false, true, false};

class MiscRangeTest : public MiscPageTest {
 protected:
  RangeState State() {
    const bool timer = Misc().TimerRunning(M::RANGE_TIMER_ID);
    EXPECT_EQ(Page().RangeTimer(), timer ? M::RANGE_TIMER_ID : 0u);
    return {timer, Misc().IsChecked(M::kIdAutoRange), Misc().IsEnabled(M::kIdGetRange)};
  }
};

void PrintTo(const RangeState& s, std::ostream* os) {
  *os << "{timer " << s.timer << ", box " << s.boxChecked << ", Get Range " << s.getRangeEnabled
      << "}";
}

TEST_F(MiscRangeTest, AutoRangeStartsOnlyWithARateOfAtLeast100) {
  Plug(0x0144);
  StartOnMisc();
  EXPECT_EQ(Misc().GetText(M::kIdRangeRate), "500");
  EXPECT_EQ(State(), kOff);

  const struct {
    const char* rate;
    bool starts;
  } cases[] = {{"100", true}, {"99", false}, {"0", false}, {"", false}, {"600000", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rate);
    Misc().Record().ClearMessages();
    ASSERT_TRUE(Misc().Type(M::kIdRangeRate, c.rate));
    ASSERT_TRUE(Misc().Click(M::kIdAutoRange));
    if (c.starts) {
      EXPECT_EQ(State(), kRunning);
      EXPECT_EQ(Misc().TimerPeriod(M::RANGE_TIMER_ID), std::stoul(c.rate));
      EXPECT_TRUE(Misc().Record().Messages().empty());
      ASSERT_TRUE(Misc().Click(M::kIdAutoRange));  // back to Off
    } else {
      ExpectOnlyMessage("Time in msec must be >= 100", "Entry Error", MessageIcon::Exclamation);
    }
    EXPECT_EQ(State(), kOff);
  }
}

TEST_F(MiscRangeTest, WithoutAConfigurationNothingStarts) {
  StartOnMisc();  // no sensor
  ASSERT_TRUE(Misc().Click(M::kIdAutoRange));
  ExpectOnlyMessage("Device not connected?", "Device Error", MessageIcon::Exclamation);
  EXPECT_EQ(State(), kOff);
  // Nor does a preset: the button unticks itself and nothing waits for Apply.
  for (int id : {M::kIdWin2K, M::kIdWinXPWelcome, M::kIdWinXPClassic}) {
    ASSERT_TRUE(Misc().Click(id));
    EXPECT_FALSE(Misc().IsChecked(id)) << id;
  }
  EXPECT_FALSE(host->ApplyEnabled());
  EXPECT_FALSE(Misc().Click(M::kIdWin98));  // hidden: takes no click
}

TEST_F(MiscRangeTest, EachTickReadsOnceAndAFailedOneHaltsUntilTheNextClick) {
  auto sensor = Plug(0x0100);  // the timer asks no firmware version
  StartOnMisc();
  ASSERT_TRUE(Misc().Click(M::kIdAutoRange));
  sensor->ClearTrace();
  const struct {
    double inches;
    const char* shown;
  } readings[] = {{30, "InRange: 30 inches"}, {50, "NOT InRange: 50 inches"}};
  for (const auto& reading : readings) {
    sensor->SetTarget(reading.inches);
    const auto before = clock.NowMs();
    ASSERT_TRUE(Misc().FireTimer(M::RANGE_TIMER_ID));
    EXPECT_EQ(Misc().GetText(M::kIdRangeText), reading.shown);
    EXPECT_EQ(clock.NowMs() - before, 250u);  // the sensor's answer time, nothing more
  }
  EXPECT_EQ(Sent(*sensor, 0x8F), 2);
  EXPECT_EQ(State(), kRunning);

  sensor->FailAt(Direction::Get, 1);
  ASSERT_TRUE(Misc().FireTimer(M::RANGE_TIMER_ID));
  EXPECT_EQ(State(), kHalted);
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> beep = {{1000, 1000}};
  EXPECT_EQ(Misc().Beeps(), beep);
  ExpectOnlyMessage("Failed GetRange in onTimer", "Device Trap", MessageIcon::Exclamation);
  EXPECT_EQ(GetDeviceCount(), 1);  // this path leaves the sensors open

  ASSERT_TRUE(Misc().Click(M::kIdAutoRange));
  EXPECT_EQ(State(), kOff);
  ASSERT_TRUE(Misc().Click(M::kIdAutoRange));
  EXPECT_EQ(State(), kRunning);
  EXPECT_EQ(Misc().Record().Messages().size(), 1u);
}

// Runs library work inline, but first delivers a timer tick, as the window
// thread of a real host may while the work runs on another thread.
class TickDuringWork final : public LibraryRunner {
 public:
  void Run(const std::function<void()>& work, const Activity&) override {
    if (tick && !ticking_) {
      ticking_ = true;
      ++ticksOffered;
      tick();
      ticking_ = false;
    }
    work();
  }
  std::function<void()> tick;
  int ticksOffered = 0;

 private:
  bool ticking_ = false;
};

TEST_F(MiscRangeTest, TicksThatFallDueDuringLibraryWorkAreDropped) {
  auto sensor = Plug(0x0144);
  StartOnMisc();
  ASSERT_TRUE(Misc().Click(M::kIdAutoRange));
  ASSERT_TRUE(Misc().Click(M::kIdSaveClone));
  TickDuringWork runner;
  runner.tick = [this] { Misc().FireTimer(M::RANGE_TIMER_ID); };
  app.SetRunner(&runner);
  sensor->ClearTrace();

  // A reading under way: the tick that falls due meanwhile reads nothing.
  ASSERT_TRUE(Misc().FireTimer(M::RANGE_TIMER_ID));
  EXPECT_EQ(Sent(*sensor, 0x8F), 1);
  // Any other library call under way: no reading either.
  ASSERT_TRUE(Misc().Click(M::kIdWriteClone));
  EXPECT_EQ(Sent(*sensor, 0x8F), 1);
  EXPECT_EQ(Sent(*sensor, 0x90), 1);
  EXPECT_EQ(runner.ticksOffered, 2);
  EXPECT_EQ(State(), kRunning);
  app.SetRunner(nullptr);
}

TEST_F(MiscRangeTest, GetRangeNeedsFirmware144) {
  StartOnMisc();
  const struct {
    std::uint16_t firmware;
    bool reads;
  } cases[] = {{0x0143, false}, {0x0144, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.firmware);
    std::string path;
    auto sensor = Plug(c.firmware, &path);  // the sheet loads it
    ASSERT_EQ(app.DeviceFw, c.firmware);
    sensor->SetTarget(30);
    sensor->ClearTrace();
    Misc().Record().ClearMessages();
    Misc().SetText(M::kIdRangeText, "");

    ASSERT_TRUE(Misc().Click(M::kIdGetRange));
    EXPECT_EQ(Sent(*sensor, 0x8F), c.reads ? 1 : 0);
    if (c.reads) {
      EXPECT_TRUE(Misc().Record().Messages().empty());
      EXPECT_EQ(Misc().GetText(M::kIdRangeText), "InRange: 30 inches");
    } else {
      ExpectOnlyMessage("The firmware version does not support this Feature.");
      EXPECT_EQ(Misc().GetText(M::kIdRangeText), "");
    }
    EXPECT_EQ(Misc().Record().WaitCursorDepth(), 0);
    bus.Unplug(path);
  }
}

TEST_F(MiscRangeTest, AFailedReadingClosesEverySensorAndKeepsThePages) {
  std::string path;
  auto first = Plug(0x0144, &path);
  auto second = Plug(0x0144);
  first->Working()[0][3] = 69;  // 20 inches minimum distance
  StartOnMisc();
  const tsSonarParms shown = app.EditSonar;
  ASSERT_EQ(shown.MinDistS, 20);
  first->FailAt(Direction::Get, 1);

  ASSERT_TRUE(Misc().Click(M::kIdGetRange));
  // The fetch was refused (0x102) in the range reading (0x1000000).
  ExpectOnlyMessage("Failed to Get RangeInfo: Err = 01000102");
  EXPECT_EQ(GetDeviceCount(), 0);
  EXPECT_EQ(bus.OpenHandleCount(), 0u);
  EXPECT_EQ(app.ConfigLoaded, 1u);
  EXPECT_EQ(app.DeviceFw, 0x0144);
  EXPECT_EQ(app.EditSonar, shown);
  EXPECT_EQ(Tab(kSonarTab).GetText(1026), "20");

  // Library calls fail until the sheet opens a sensor again.
  ASSERT_TRUE(Misc().Click(M::kIdGetRange));
  EXPECT_EQ(Misc().Record().Messages().size(), 2u);
  bus.Unplug(path);
  Plug(0x0144);
  EXPECT_EQ(GetDeviceCount(), 1);
  ASSERT_TRUE(Misc().Click(M::kIdGetRange));
  EXPECT_EQ(Misc().Record().Messages().size(), 2u);
}

TEST_F(MiscRangeTest, ASensorAnotherProgramKeepsNamesItAndStaysOpen) {
  std::string path;
  Plug(0x0144, &path);
  StartOnMisc();
  bus.HoldElsewhere(path, "kv7700ctl, process 42");

  ASSERT_TRUE(Misc().Click(M::kIdGetRange));
  ExpectOnlyMessage(
      "Failed to Get RangeInfo: Err = 01000300\n\nThe sensor is in use by kv7700ctl, process "
      "42. Try again when it is done with the sensor.");
  EXPECT_EQ(GetDeviceCount(), 1);
  bus.ReleaseElsewhere(path);
  ASSERT_TRUE(Misc().Click(M::kIdGetRange));
  EXPECT_EQ(Misc().Record().Messages().size(), 1u);
}

TEST_F(MiscRangeTest, TheReducedVariantHidesTheRangeGroup) {
  const int group[] = {M::kIdViewRangeGroup, M::kIdAutoRange, M::kIdRangeRate,
                       M::kIdRateLabel,      M::kIdGetRange,  M::kIdRangeText};
  std::string path;
  Plug(0x0402, &path);
  StartOnMisc();
  for (int id : group) {
    EXPECT_FALSE(Misc().IsVisible(id)) << id;
  }
  ASSERT_TRUE(Misc().Click(M::kIdAdvancedSettings));
  // A standard sensor in its place shows the group again, enabled; the
  // sheet's refresh also leaves the advanced state.
  bus.Unplug(path);
  Plug(0x0410);
  EXPECT_EQ(app.FwVariant, -1);
  EXPECT_FALSE(Misc().IsChecked(M::kIdAdvancedSettings));
  for (int id : group) {
    EXPECT_TRUE(Misc().IsVisible(id)) << id;
    EXPECT_TRUE(Misc().IsEnabled(id)) << id;
  }
  // "Win98/ME" stays hidden for good.
  EXPECT_FALSE(Misc().IsVisible(M::kIdWin98));
}

}  // namespace
}  // namespace kv::ui::testing
