// Two programs at one sensor: one that finds it held waits its turn, and
// gives up past the wait with a sentence that names the holder; two tools at
// one emulated sensor file take turns and lose neither's write.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdio>
#include <nlohmann/json.hpp>
#include <thread>
#include <utility>

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

// Both change the sonar record at once: each reads it again under the hold
// of its write, so neither puts back the other's field from an older read.
TEST(SensorInUseTest, TwoToolsChangingOneRecordKeepBothChangesEveryRound) {
  TempDir dir;
  const std::string sensor = dir.Path("s.json");
  ASSERT_EQ(RunTool({"--simulate=" + sensor, "show"}).exitCode, 0);
  ToolOptions realTime;
  realTime.virtualTime = false;
  for (const auto& [ping, start] : {std::pair{300, 10}, std::pair{400, 20}}) {
    SCOPED_TRACE(ping);
    ToolResult first, second;
    std::thread other([&, ping = ping] {
      first =
          RunTool({"--simulate=" + sensor, "set", "PingRateS=" + std::to_string(ping)}, realTime);
    });
    second =
        RunTool({"--simulate=" + sensor, "set", "StartDlyS=" + std::to_string(start)}, realTime);
    other.join();
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(second.exitCode, 0) << second.err;
    const ToolResult shown = RunTool({"--simulate=" + sensor, "--json", "show"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    const nlohmann::json kept = nlohmann::json::parse(shown.out);
    EXPECT_EQ(kept["tsSonarParms"]["PingRateS"], ping);
    EXPECT_EQ(kept["tsSonarParms"]["StartDlyS"], start);
  }
}

#ifndef _WIN32
// A lock file that is a link to another file is never followed: the
// emulated sensor is refused rather than run without its lock.
TEST(SensorInUseTest, ALockFileThatIsALinkIsRefused) {
  TempDir dir;
  const std::string sensor = dir.Path("s.json");
  ASSERT_EQ(RunTool({"--simulate=" + sensor, "show"}).exitCode, 0);
  std::remove((sensor + ".lock").c_str());
  ASSERT_EQ(::symlink(dir.Path("elsewhere").c_str(), (sensor + ".lock").c_str()), 0);
  const ToolResult result = RunTool({"--simulate=" + sensor, "show"});
  EXPECT_NE(result.exitCode, 0);
  EXPECT_THAT(result.err, HasSubstr("lock file " + sensor + ".lock cannot be opened"));
  EXPECT_NE(::access(dir.Path("elsewhere").c_str(), F_OK), 0) << "nothing made through the link";
}
#endif

}  // namespace
}  // namespace kv::cli::testing
