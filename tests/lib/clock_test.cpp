#include <gtest/gtest.h>
#include <kv7700/clock.h>

namespace kv {
namespace {

TEST(VirtualClock, SleepAdvancesTimeAndCountsIt) {
  VirtualClock clock;
  SetClock(&clock);
  const auto start = GetClock().NowMs();
  GetClock().SleepMs(250);
  clock.Advance(10);  // time passing without anyone sleeping
  EXPECT_EQ(GetClock().NowMs() - start, 260u);
  EXPECT_EQ(clock.SleptMs(), 250u);
  SetClock(nullptr);
  EXPECT_NE(&GetClock(), &clock);
}

}  // namespace
}  // namespace kv
