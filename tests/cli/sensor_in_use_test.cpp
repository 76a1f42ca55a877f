// Two programs at one sensor: one that finds it held waits its turn, and
// gives up past the wait with a sentence that names the holder; two tools at
// one emulated sensor file take turns and lose neither's write.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <thread>

#include "hid/emulated/file_lock.h"
#include "tool_runner.h"

namespace kv::cli::testing {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;

TEST(SensorInUseTest, ASensorHeldPastTheWaitFailsWithItsHolderAndExitStatus1) {
  TempDir dir;
  const std::string sensor = dir.Path("s.json");
  ASSERT_EQ(RunTool({"--simulate=" + sensor, "show"}).exitCode, 0);
  emu::FileLock other(sensor + ".lock");
  ASSERT_TRUE(other.TryTake());
  // On virtual time the tool's 20 s of waiting pass at once.
  const ToolResult result = RunTool({"--simulate=" + sensor, "range"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_THAT(
      result.err,
      AllOf(HasSubstr("GetRangeInfo failed on sensor 0 (/dev/hidraw-emu0) with status 01000300"),
            HasSubstr("the sensor is in use by " + emu::ThisProgram() +
                      ", and it was not free within 20 s"),
            HasSubstr("Wait until that program is done with the sensor")));
  other.Give();
  EXPECT_EQ(RunTool({"--simulate=" + sensor, "range"}).exitCode, 0);
}

TEST(SensorInUseTest, TwoToolsAtOneSensorFileTakeTurnsAndKeepBothWrites) {
  TempDir dir;
  const std::string sensor = dir.Path("s.json");
  ASSERT_EQ(RunTool({"--simulate=" + sensor, "show"}).exitCode, 0);
  // Real time, so each waits for the other for real.
  ToolOptions realTime;
  realTime.virtualTime = false;
  ToolResult first, second;
  std::thread other([&] {
    first = RunTool({"--simulate=" + sensor, "set", "PingRateS=300"}, realTime);
  });
  second = RunTool({"--simulate=" + sensor, "set", "InterKeyDelayWA=640"}, realTime);
  other.join();
  EXPECT_EQ(first.exitCode, 0) << first.err;
  EXPECT_EQ(second.exitCode, 0) << second.err;
  const ToolResult shown = RunTool({"--simulate=" + sensor, "--json", "show"});
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  const nlohmann::json kept = nlohmann::json::parse(shown.out);
  EXPECT_EQ(kept["tsSonarParms"]["PingRateS"], 300);
  EXPECT_EQ(kept["tsWalkAwayParms"]["InterKeyDelayWA"], 640);
}

}  // namespace
}  // namespace kv::cli::testing
