// apply FILE: only the records that differ reach the sensor, a second apply
// sends nothing, a refused file sends nothing, and a write the sensor does
// not keep is a failure; --verify on set, load and clone likewise. Every
// write keeps the target's own reserved words.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "tool_runner.h"

namespace kv::cli::testing {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;

// The exchanges of the configuration read every run starts with.
constexpr std::size_t kReadLines = 14;

// Data reports sent (a set whose command byte is below 0x80) and commit
// reports, in order.
std::vector<std::string> Writes(const std::string& err) {
  std::vector<std::string> writes;
  for (const std::string& line : TraceLines(err)) {
    if (!line.starts_with("set 00 ")) continue;
    const int command = std::stoi(line.substr(7, 2), nullptr, 16);
    if (command < 0x80 || command == 0x90) writes.push_back(line);
  }
  return writes;
}

nlohmann::json Parse(const ToolResult& result) {
  return nlohmann::json::parse(result.out);
}

int FieldOf(const std::string& sensor, const char* record, const char* field) {
  const ToolResult show = RunTool({"--simulate=" + sensor, "--json", "show"});
  return Parse(show)[record][field];
}

// A full template of a fresh sensor, with `line` added at its end (a later
// line wins).
std::string TemplateWith(const TempDir& dir, const std::string& line) {
  const std::string file = dir.Path("site.txt");
  EXPECT_EQ(RunTool({"--simulate=" + dir.Path("model.json"), "save", file}).exitCode, 0);
  WriteFile(file, ReadFile(file) + line + "\n");
  return file;
}

TEST(ApplyTest, TheSecondApplyOfTheSameFileSendsNoWrite) {
  TempDir dir;
  const std::string sensor = dir.Path("s.json");
  const std::string file = dir.Path("site.txt");
  // 502 ms: the sensor keeps ping rates in 4 ms steps, as 500.
  WriteFile(file, "PingRateS = 502\nKeyCountWA = 2\nKey2CodeWA = 4\nPressRateI = 30\n");

  const ToolResult first = RunTool({"--simulate=" + sensor, "--trace", "apply", file});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  EXPECT_THAT(first.out, AllOf(HasSubstr("walk-away:  LCTL+LALT+DELETE, A"),
                               HasSubstr("sensor 0 (/dev/hidraw-emu0): changed (wrote "
                                         "tsWalkAwayParms, tsSonarParms, tsIdleParms;")));
  EXPECT_THAT(first.err, HasSubstr("PingRateS = 502 is kept by the sensor as 500"));
  // The key sequences stand before the first data report.
  EXPECT_LT(first.out.find("Key sequences the sensor will type:"), first.out.find("changed ("));
  EXPECT_EQ(Writes(first.err).back(), "set 00 90 27 00 00 00 00 00 00");

  const ToolResult second = RunTool({"--simulate=" + sensor, "--trace", "--json", "apply", file});
  ASSERT_EQ(second.exitCode, 0) << second.err;
  // The read at start and the one under the write's hold, nothing else.
  EXPECT_EQ(TraceLines(second.err).size(), 2 * kReadLines);
  const nlohmann::json result = Parse(second);
  EXPECT_EQ(result["changed"], false);
  EXPECT_EQ(result["sensors"][0]["status"], "unchanged");
  EXPECT_EQ(result["sensors"][0]["written"], nlohmann::json::array());
}

TEST(ApplyTest, WritesExactlyTheRecordThatDiffers) {
  struct Case {
    const char* line;
    const char* record;          // written, or "" for none
    std::vector<char> commands;  // the data reports' blocks
    const char* commit;
  };
  const Case cases[] = {
      {"PingRateS = 500", "tsSonarParms", {'0'}, "set 00 90 01 00 00 00 00 00 00"},
      {"Key2CodeWU = 4", "tsWalkUpParms", {'3', '4'}, "set 00 90 18 00 00 00 00 00 00"},
      {"PressRateI = 30", "tsIdleParms", {'5'}, "set 00 90 20 00 00 00 00 00 00"},
      // A read-only word belongs to each sensor, not to the file.
      {"Reserved1S = 99", "", {}, ""},
      // 200 is what the sensor holds already.
      {"PingRateS = 201", "", {}, ""},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string file = TemplateWith(dir, c.line);
    const ToolResult result =
        RunTool({"--simulate=" + dir.Path("s.json"), "--trace", "--json", "apply", file});
    ASSERT_EQ(result.exitCode, 0) << c.line << result.err;
    const nlohmann::json sensor = Parse(result)["sensors"][0];
    const std::vector<std::string> writes = Writes(result.err);
    if (*c.record == 0) {
      EXPECT_EQ(sensor["status"], "unchanged") << c.line;
      EXPECT_TRUE(writes.empty()) << c.line;
      continue;
    }
    EXPECT_EQ(sensor["status"], "changed") << c.line;
    EXPECT_EQ(sensor["written"], nlohmann::json::array({c.record})) << c.line;
    EXPECT_EQ(sensor["changes"].size(), 1u) << c.line;
    ASSERT_EQ(writes.size(), c.commands.size() + 1) << c.line;
    EXPECT_EQ(writes.back(), c.commit) << c.line;
    // Each data report follows the request for its block.
    const std::vector<std::string> lines = TraceLines(result.err);
    for (char block : c.commands) {
      const std::string request = std::string("set 00 8") + block + " 00 00 00 00 00 00 00";
      EXPECT_NE(std::find(lines.begin() + kReadLines, lines.end(), request), lines.end()) << c.line;
    }
  }
}

TEST(ApplyTest, ARefusedFileWritesNothing) {
  TempDir dir;
  const std::string sensor = dir.Path("s.json");
  const std::string file = dir.Path("bad.txt");
  WriteFile(file, "PingRateS = 150\nKeyCountWA = 2\nKey2CodeWA = 4\n");
  const ToolResult result = RunTool({"--simulate=" + sensor, "--trace", "--json", "apply", file});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_THAT(result.err, AllOf(HasSubstr("SetSonarParms refused the tsSonarParms"),
                                HasSubstr("PingRateS 200 to 1020"),
                                HasSubstr("Nothing was written to sensor 0")));
  EXPECT_TRUE(Writes(result.err).empty());
  EXPECT_EQ(Parse(result)["sensors"][0]["status"], "failed");
  EXPECT_EQ(FieldOf(sensor, "tsWalkAwayParms", "KeyCountWA"), 1);
}

TEST(ApplyTest, AWriteTheSensorDoesNotKeepIsAFailure) {
  TempDir dir;
  const std::string file = dir.Path("site.txt");
  WriteFile(file, "PingRateS = 500\n");
  const ToolOptions forgetful = {.env = {{"KV7700_SIMULATE_FAULT", "forget:1"}}};
  struct Case {
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {{"apply", file}},
      {{"set", "--verify", "PingRateS=500"}},
      {{"load", "--verify", file}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--simulate=" + dir.Path("s.json")};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ToolResult result = RunTool(args, forgetful);
    EXPECT_EQ(result.exitCode, 1) << c.args[0] << result.out;
    EXPECT_THAT(result.err, AllOf(HasSubstr("the read-back of sensor 0 (/dev/hidraw-emu0) differs"),
                                  HasSubstr("PingRateS: wrote 500, the sensor holds 200")))
        << c.args[0];
  }
  // The sensor was written, so a fleet tool counts it as changed, and failed.
  const ToolResult apply =
      RunTool({"--simulate=" + dir.Path("s.json"), "--json", "apply", file}, forgetful);
  const nlohmann::json sensor = Parse(apply)["sensors"][0];
  EXPECT_EQ(sensor["status"], "failed");
  EXPECT_EQ(sensor["written"], nlohmann::json::array({"tsSonarParms"}));
  // Cloning reads back every target.
  ASSERT_EQ(RunTool({"--simulate=" + dir.Path("s.json"), "set", "PingRateS=600"}).exitCode, 0);
  const ToolResult lost =
      RunTool({"--simulate=" + dir.Path("s.json"), "--simulate=" + dir.Path("t.json"), "clone",
               "--verify", "--from", "0", "--to", "1"},
              {.env = {{"KV7700_SIMULATE_FAULT", "forget:1:1"}}});
  EXPECT_EQ(lost.exitCode, 1);
  EXPECT_THAT(lost.err, HasSubstr("PingRateS: wrote 600, the sensor holds 200"));
}

TEST(ApplyTest, AllDryRunAndPathChooseTheSensors) {
  TempDir dir;
  const std::string a = dir.Path("a.json");
  const std::string b = dir.Path("b.json");
  const std::string file = dir.Path("site.txt");
  WriteFile(file, "MaxDistS = 40\n");
  ASSERT_EQ(RunTool({"--simulate=" + a, "set", "MaxDistS=40"}).exitCode, 0);

  const ToolResult dry = RunTool(
      {"--simulate=" + a, "--simulate=" + b, "--trace", "apply", "--all", "--dry-run", file});
  ASSERT_EQ(dry.exitCode, 0) << dry.err;
  EXPECT_THAT(dry.out, AllOf(HasSubstr("sensor 0 (/dev/hidraw-emu0): unchanged"),
                             HasSubstr("sensor 1 (/dev/hidraw-emu1): would change tsSonarParms")));
  EXPECT_TRUE(Writes(dry.err).empty());

  const ToolResult one = RunTool({"--simulate=" + a, "--simulate=" + b, "--json", "apply", "--path",
                                  "/dev/hidraw-emu1", file});
  ASSERT_EQ(one.exitCode, 0) << one.err;
  const nlohmann::json result = Parse(one);
  ASSERT_EQ(result["sensors"].size(), 1u);
  EXPECT_EQ(result["sensors"][0]["sensor"]["path"], "/dev/hidraw-emu1");
  EXPECT_EQ(result["sensors"][0]["status"], "changed");
  EXPECT_EQ(FieldOf(b, "tsSonarParms", "MaxDistS"), 40);

  const ToolResult all =
      RunTool({"--simulate=" + a, "--simulate=" + b, "--json", "apply", "--all", file});
  ASSERT_EQ(all.exitCode, 0) << all.err;
  EXPECT_EQ(Parse(all)["changed"], false);

  const ToolResult nowhere = RunTool({"--simulate", "apply", "--path", "/dev/hidraw9", file});
  EXPECT_EQ(nowhere.exitCode, 1);
  EXPECT_THAT(nowhere.err, HasSubstr("no sensor is open at /dev/hidraw9"));
}

// Sensor 1 holds reserved words of its own (Reserved2WU 0x33, Reserved1I 7),
// and is read after sensor 0: a write to sensor 0 keeps sensor 0's.
TEST(ApplyTest, AWriteCarriesTheTargetsOwnReservedWords) {
  TempDir dir;
  const std::string a = dir.Path("a.json");
  const std::string b = dir.Path("b.json");
  const std::string file = dir.Path("site.txt");
  WriteFile(file, "Key1CodeWU = 4\nPressRateI = 5\n");
  const std::vector<std::vector<std::string>> cases = {
      {"set", "Key1CodeWU=4", "PressRateI=5"},
      {"load", file},
      {"apply", file},
  };
  for (const std::vector<std::string>& command : cases) {
    std::remove(a.c_str());
    ASSERT_EQ(RunTool({"--simulate=" + a, "--simulate=" + b, "list"}).exitCode, 0);
    nlohmann::json other = nlohmann::json::parse(ReadFile(b));
    other["working"]["0x84"] = "00 33 00 00 00 00 00 00";
    other["working"]["0x85"] = "07 00 00 00 00 00 00 00";
    WriteFile(b, other.dump());
    std::vector<std::string> args = {"--simulate=" + a, "--simulate=" + b};
    args.insert(args.end(), command.begin(), command.end());
    const ToolResult result = RunTool(args);
    ASSERT_EQ(result.exitCode, 0) << command[0] << result.err;
    const nlohmann::json written = nlohmann::json::parse(ReadFile(a));
    EXPECT_EQ(written["working"]["0x84"], "00 00 04 00 00 00 00 00") << command[0];
    EXPECT_EQ(written["working"]["0x85"], "00 05 00 00 00 00 00 00") << command[0];
  }
}

}  // namespace
}  // namespace kv::cli::testing
