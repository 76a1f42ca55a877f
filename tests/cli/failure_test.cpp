// What goes wrong: no sensor, a sensor the user may not open, a sensor index
// that does not exist, a sensor that vanishes half-way, and usage errors.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "support/real_sensor.h"
#include "tool_runner.h"

namespace kv::cli::testing {
namespace {

using ::testing::AllOf;
using ::testing::AnyOf;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

using kv::testing::RealSensorAttached;

TEST(FailureTest, NoSensorOnTheBusIsReportedWithWhatToTry) {
  // The build machines have no sensor attached; a developer's may.
  if (RealSensorAttached()) GTEST_SKIP() << "a real sensor is attached";
  const ToolResult result = RunTool({"show"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_THAT(result.err, AnyOf(HasSubstr("found no sensor"), HasSubstr("may not open it")));
  EXPECT_THAT(result.out, IsEmpty());
}

TEST(FailureTest, AnInaccessibleSensorIsNamedWithWhatToDo) {
  const ToolResult result =
      RunTool({"--simulate", "show"}, {.env = {{"KV7700_SIMULATE_DENIED", "1"}}});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_THAT(result.err, HasSubstr("A KV7700 sensor is present at /dev/hidraw-emu0, but this user "
                                    "may not open it"));
#if defined(_WIN32)
  EXPECT_THAT(result.err, HasSubstr("Another program may hold the sensor exclusively"));
#else
  EXPECT_THAT(result.err,
              AllOf(HasSubstr("res/70-kv7700.rules"), HasSubstr("udevadm control --reload-rules")));
#endif
}

TEST(FailureTest, ASensorIndexThatDoesNotExistIsAUsageError) {
  const ToolResult result = RunTool({"--simulate", "--simulate", "--device", "2", "show"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_THAT(result.err,
              HasSubstr("there is no sensor 2: 2 sensors are attached (numbered 0 to 1)"));
}

TEST(FailureTest, ASensorVanishingHalfWayThroughAWriteLeavesItUnchanged) {
  TempDir dir;
  const std::string sensor = dir.Path("s.json");
  // 14 reports read the configuration, 2 read the sonar record again under
  // the write's hold; the 18th is the sonar data report.
  const ToolResult result = RunTool({"--simulate=" + sensor, "set", "PingRateS=900"},
                                    {.env = {{"KV7700_SIMULATE_FAULT", "vanish:18"}}});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_THAT(result.err,
              AllOf(HasSubstr("set: WriteDevCfg failed on sensor 0 (/dev/hidraw-emu0) with status "
                              "00040202"),
                    HasSubstr("no commit was sent"), HasSubstr("still plugged in")));
  const ToolResult shown = RunTool({"--simulate=" + sensor, "show", "--json"});
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_EQ(nlohmann::json::parse(shown.out)["tsSonarParms"]["PingRateS"], 200);
}

TEST(FailureTest, ASensorFailingItsReadIsNamedWithTheStatusWord) {
  struct Case {
    std::vector<std::string> args;
    const char* fault;
    const char* message;
  };
  const Case cases[] = {
      {{"--simulate", "show"},
       "vanish:4",
       "ReadDevCfg failed on sensor 0 (/dev/hidraw-emu0) with status 00020102"},
      {{"--simulate", "range"},
       "refuse:15",
       "GetRangeInfo failed on sensor 0 (/dev/hidraw-emu0) with status 01000202"},
      {{"--simulate", "reset"},
       "refuse:15",
       "FactoryResetDev failed on sensor 0 (/dev/hidraw-emu0) with status 00080202"},
      {{"--simulate", "halt"},
       "refuse:15",
       "SendControl on sensor 0 (/dev/hidraw-emu0) failed with status 02000000"},
  };
  for (const Case& c : cases) {
    const ToolResult result = RunTool(c.args, {.env = {{"KV7700_SIMULATE_FAULT", c.fault}}});
    EXPECT_EQ(result.exitCode, 1) << c.message;
    EXPECT_THAT(result.err, HasSubstr(c.message));
  }
}

TEST(FailureTest, StreamingStopsWhenTheReaderQuits) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--simulate", "range", "--watch", "100"},
        std::vector<std::string>{"--simulate", "--json", "range", "--watch", "100"},
        std::vector<std::string>{"--simulate", "monitor"}}) {
    const ToolResult result = RunTool(args, {.env = {{"KV7700_SIMULATE_PLUG", "plug@100,plug@200"}},
                                             .virtualTime = true,
                                             .stderrOnTerminal = false,
                                             .stdoutClosed = true});
    EXPECT_EQ(result.exitCode, 0) << args[1] << ": " << result.err;
  }
}

TEST(FailureTest, UsageErrorsExitWithTwo) {
  TempDir dir;
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"--device", "-1", "show"},
      {"--simulate", "show", "--no-such-option"},
      {"--simulate", "set"},
      {"--simulate=" + dir.Path("s"), "--simulate=" + dir.Path("s"), "list"},
  };
  for (const auto& args : cases) {
    const ToolResult result = RunTool(args);
    EXPECT_EQ(result.exitCode, 2) << (args.empty() ? "" : args[0]);
    EXPECT_THAT(result.err, HasSubstr("kv7700ctl: "));
  }
  EXPECT_EQ(RunTool({"--help"}).exitCode, 0);
  const ToolResult badVariable =
      RunTool({"--simulate", "show"}, {.env = {{"KV7700_SIMULATE_FAULT", "explode"}}});
  EXPECT_EQ(badVariable.exitCode, 2);
  EXPECT_THAT(badVariable.err, HasSubstr("KV7700_SIMULATE_FAULT='explode' is not valid"));
}

TEST(FailureTest, AnUnknownCommandIsNamedWithTheKnownOnes) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"frobnicate"}, {"--device", "1", "--json", "deploy", "x.txt"}}) {
    const ToolResult result = RunTool(args);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_THAT(result.err, AllOf(HasSubstr("is not a command"),
                                  HasSubstr("list, show, set, save, load, clone, apply, range")));
    EXPECT_THAT(result.err, ::testing::Not(HasSubstr("subcommand is required")));
  }
  EXPECT_THAT(RunTool({"frobnicate"}).err, HasSubstr("'frobnicate' is not a command"));
  // A missing command is still told as missing.
  EXPECT_THAT(RunTool({"--json"}).err, ::testing::Not(HasSubstr("is not a command")));
}

}  // namespace
}  // namespace kv::cli::testing
