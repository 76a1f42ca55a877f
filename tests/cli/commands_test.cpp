// range, the memory commands, halt and resume, and monitor on emulated sensors.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tool_runner.h"

namespace kv::cli::testing {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;

int PingRate(const std::string& file) {
  const ToolResult result = RunTool({"--simulate=" + file, "show", "--json"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  return nlohmann::json::parse(result.out)["tsSonarParms"]["PingRateS"];
}

TEST(RangeTest, PrintsAReadingAsTheWindowDoes) {
  struct Case {
    const char* target;
    const char* expected;
  };
  for (const Case& c :
       {Case{"30", "InRange: 30 inches\n"}, Case{"45", "NOT InRange: 45 inches\n"}}) {
    const ToolResult result =
        RunTool({"--simulate", "range"}, {.env = {{"KV7700_SIMULATE_TARGET", c.target}}});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, c.expected);
  }
}

TEST(RangeTest, WatchWithCountGivesOneJsonArray) {
  const ToolResult result =
      RunTool({"--simulate", "--json", "range", "--watch", "100", "--count", "3"},
              {.env = {{"KV7700_SIMULATE_TARGET", "10:4"}}});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const nlohmann::json readings = nlohmann::json::parse(result.out);
  ASSERT_EQ(readings.size(), 3u);
  EXPECT_EQ(readings[0]["in_range"], true);
  // The target walks away at 4 in/s; each reading takes 250 ms.
  EXPECT_LT(readings[0]["distance"].get<int>(), readings[2]["distance"].get<int>());
}

TEST(RangeTest, WatchFasterThanTheSensorIsAUsageError) {
  const ToolResult result = RunTool({"--simulate", "range", "--watch", "99"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_THAT(result.err, HasSubstr("at least 100 milliseconds"));
}

TEST(MemoryCommandTest, ResetReturnsToFactoryDefaults) {
  TempDir dir;
  const std::string sensor = dir.Path("s.json");
  ASSERT_EQ(RunTool({"--simulate=" + sensor, "set", "PingRateS=600"}).exitCode, 0);
  const ToolResult reset = RunTool({"--simulate=" + sensor, "reset"});
  ASSERT_EQ(reset.exitCode, 0) << reset.err;
  EXPECT_THAT(reset.out, AllOf(HasSubstr("reset to factory defaults"), HasSubstr("600 -> 200")));
  EXPECT_EQ(PingRate(sensor), 200);
}

TEST(MemoryCommandTest, UserDefaultsAreSavedAndRestored) {
  TempDir dir;
  const std::string sensor = dir.Path("s.json");
  ASSERT_EQ(RunTool({"--simulate=" + sensor, "set", "PingRateS=400"}).exitCode, 0);
  ASSERT_EQ(RunTool({"--simulate=" + sensor, "save-defaults"}).exitCode, 0);
  ASSERT_EQ(RunTool({"--simulate=" + sensor, "set", "PingRateS=800"}).exitCode, 0);
  const ToolResult restore = RunTool({"--simulate=" + sensor, "--json", "restore-defaults"});
  ASSERT_EQ(restore.exitCode, 0) << restore.err;
  EXPECT_EQ(nlohmann::json::parse(restore.out)["tsSonarParms"]["PingRateS"], 400);
  EXPECT_EQ(PingRate(sensor), 400);
}

TEST(MemoryCommandTest, UserDefaultCommandsNeedFirmware400) {
  for (const char* command : {"restore-defaults", "save-defaults"}) {
    const ToolResult result = RunTool({"--simulate", "--trace", command},
                                      {.env = {{"KV7700_SIMULATE_FIRMWARE", "0399"}}});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_THAT(result.err,
                AllOf(HasSubstr("needs firmware 4.00 or later"), HasSubstr("firmware 3.99")));
    EXPECT_EQ(TraceLines(result.err).size(), 14u);  // the read and nothing else
  }
}

TEST(KeySendTest, HaltAndResumeSendTheControlReports) {
  struct Case {
    const char* command;
    const char* report;
    const char* said;
  };
  for (const Case& c : {Case{"halt", "set 00 b1 00 00 00 00 00 00 00",
                             "stays halted, typing nothing when you walk away or come back, until "
                             "'kv7700ctl resume'"},
                        Case{"resume", "set 00 b0 00 00 00 00 00 00 00", "Key sends resumed"}}) {
    const ToolResult result = RunTool({"--simulate", "--trace", c.command});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(TraceLines(result.err).back(), c.report);
    EXPECT_THAT(result.out, HasSubstr(c.said));
  }
}

TEST(MonitorTest, PrintsSensorsPluggedInAndPulledOutAndIgnoresOtherDevices) {
  const ToolOptions options{
      .env = {{"KV7700_SIMULATE_PLUG", "plug@500,other@700,unplug@900,unplug@1200,unplug@1500"}}};
  const ToolResult text = RunTool({"--simulate", "monitor"}, options);
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.out,
            "sensor plugged in: /dev/hidraw-emu1\n"
            "sensor pulled out: /dev/hidraw-emu1\n"
            "sensor pulled out: /dev/hidraw-emu0\n");

  const ToolResult json = RunTool({"--simulate", "--json", "monitor", "--count", "2"}, options);
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const nlohmann::json events = nlohmann::json::parse(json.out);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0]["event"], "added");
  EXPECT_EQ(events[0]["index"], 1);
  EXPECT_EQ(events[1]["event"], "removed");
  EXPECT_EQ(events[1]["path"], "/dev/hidraw-emu1");
}

}  // namespace
}  // namespace kv::cli::testing
