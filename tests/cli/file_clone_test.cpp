// save, load and clone: configurations moved between emulated sensors, the
// key sequences printed before they are written, and bad files refused.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tool_runner.h"

namespace kv::cli::testing {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

nlohmann::json Records(const std::string& file) {
  const ToolResult result = RunTool({"--simulate=" + file, "show", "--json"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  nlohmann::json document = nlohmann::json::parse(result.out);
  document.erase("sensor");
  return document;
}

TEST(SaveLoadTest, SaveThenLoadOnAnotherSensorClonesIt) {
  TempDir dir;
  const std::string a = dir.Path("a.json");
  const std::string b = dir.Path("b.json");
  const std::string saved = dir.Path("office.txt");
  ASSERT_EQ(RunTool({"--simulate=" + a, "set", "PingRateS=520", "MinDistS=20", "KeyCountWU=1",
                     "Key1ModsWU=8", "Key1CodeWU=15", "PressRateI=30", "Key1CodeI=0x45"})
                .exitCode,
            0);
  const ToolResult save = RunTool({"--simulate=" + a, "save", saved});
  ASSERT_EQ(save.exitCode, 0) << save.err;
  EXPECT_THAT(ReadFile(saved), HasSubstr("PingRateS = 520     / "));

  const ToolResult load = RunTool({"--simulate=" + b, "load", saved});
  ASSERT_EQ(load.exitCode, 0) << load.err;
  EXPECT_THAT(load.out,
              AllOf(HasSubstr("walk-away:  LCTL+LALT+DELETE"), HasSubstr("walk-up:    LGUI+L"),
                    HasSubstr("keep-alive: F12 every 30 s"),
                    HasSubstr("Wrote tsWalkAwayParms, tsWalkUpParms, tsSonarParms, "
                              "tsIdleParms to sensor 0")));
  EXPECT_EQ(Records(b), Records(a));
}

TEST(SaveLoadTest, LoadDryRunPrintsTheKeySequencesAndWritesNothing) {
  TempDir dir;
  const std::string file = dir.Path("keys.txt");
  WriteFile(file, "KeyCountWA = 2\nKey2CodeWA = 4\n");
  const std::string sensor = dir.Path("s.json");
  const ToolResult result = RunTool({"--simulate=" + sensor, "--trace", "load", "--dry-run", file});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(result.out, AllOf(HasSubstr("KeyCountWA"), HasSubstr("1 -> 2"),
                                HasSubstr("walk-away:  LCTL+LALT+DELETE, A"),
                                HasSubstr("Dry run: nothing was written")));
  EXPECT_EQ(TraceLines(result.err).size(), 14u);  // the read, and no write
  EXPECT_EQ(Records(sensor)["tsWalkAwayParms"]["KeyCountWA"], 1);
}

TEST(SaveLoadTest, LoadNamesTheRefusedRecordAndWritesTheOthers) {
  TempDir dir;
  const std::string file = dir.Path("bad.txt");
  WriteFile(file, "PingRateS = 150\nKeyCountWA = 2\nKey2CodeWA = 4\n");
  const std::string sensor = dir.Path("s.json");
  const ToolResult result = RunTool({"--simulate=" + sensor, "load", file});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_THAT(result.err, AllOf(HasSubstr("SetSonarParms refused the tsSonarParms"),
                                HasSubstr("PingRateS 200 to 1020")));
  EXPECT_THAT(result.out, HasSubstr("walk-away:  LCTL+LALT+DELETE, A"));
  const nlohmann::json records = Records(sensor);
  EXPECT_EQ(records["tsWalkAwayParms"]["KeyCountWA"], 2);
  EXPECT_EQ(records["tsSonarParms"]["PingRateS"], 200);
}

TEST(SaveLoadTest, FilesThatCannotBeUsedAreRefusedBeforeTheSensorIsTouched) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string message;
  };
  const Case cases[] = {
      {{"load", dir.Path("missing.txt")}, 2, "No such file or directory"},
      {{"load", dir.Path("")}, 2, "it is a folder"},
      {{"save", dir.Path("no/such/folder/x.txt")},
       1,
       "WriteDevCfgToFile could not write '" + dir.Path("no/such/folder/x.txt") +
           "': No such file or directory. The folder does not exist: create it first, or choose "
           "another."},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--simulate", "--trace"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ToolResult result = RunTool(args);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.args[1];
    EXPECT_THAT(result.err, HasSubstr(c.message));
    if (c.exitCode == 2) {
      EXPECT_TRUE(TraceLines(result.err).empty());
    }
  }
}

TEST(CloneTest, WritesTheSourceToEveryOtherSensor) {
  TempDir dir;
  const std::string a = dir.Path("a.json");
  const std::string b = dir.Path("b.json");
  const std::string c = dir.Path("c.json");
  ASSERT_EQ(RunTool({"--simulate=" + b, "set", "PingRateS=800", "Key1CodeWA=0x14"}).exitCode, 0);
  const ToolResult result = RunTool({"--simulate=" + a, "--simulate=" + b, "--simulate=" + c,
                                     "clone", "--from", "1", "--to", "all"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(result.out, AllOf(HasSubstr("walk-away:  LCTL+LALT+Q"),
                                HasSubstr("Wrote the configuration of sensor 1"),
                                HasSubstr("to sensor 0"), HasSubstr("to sensor 2")));
  EXPECT_EQ(Records(a), Records(b));
  EXPECT_EQ(Records(c), Records(b));
}

TEST(CloneTest, ATargetThatFailsDuringTheWriteLeavesTheOthersWritten) {
  TempDir dir;
  const std::vector<std::string> files = {dir.Path("a.json"), dir.Path("b.json"),
                                          dir.Path("c.json"), dir.Path("d.json")};
  ASSERT_EQ(RunTool({"--simulate=" + files[0], "set", "PingRateS=800"}).exitCode, 0);
  for (std::size_t i = 1; i < files.size(); ++i) {
    ASSERT_EQ(RunTool({"--simulate=" + files[i], "show"}).exitCode, 0);
  }
  const nlohmann::json before = Records(files[2]);
  // Sensor 2 vanishes at the data report of its first record: its 30th
  // report after the fourteen of the read at start and the fourteen of the
  // read under the write's hold.
  ToolOptions options;
  options.env = {{"KV7700_SIMULATE_FAULT", "vanish:30:2"}, {"KV7700_VIRTUAL_TIME", "1"}};
  std::vector<std::string> args;
  for (const std::string& file : files) args.push_back("--simulate=" + file);
  args.insert(args.end(), {"clone", "--from", "0", "--to", "all"});
  const ToolResult result = RunTool(args, options);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_THAT(result.err, AllOf(HasSubstr("WriteDevCfg"), HasSubstr("sensor 2")));
  EXPECT_THAT(result.out, AllOf(HasSubstr("to sensor 1 ("), HasSubstr("to sensor 3 ("),
                                Not(HasSubstr("to sensor 2 ("))));
  EXPECT_EQ(Records(files[1]), Records(files[0]));
  EXPECT_EQ(Records(files[3]), Records(files[0]));
  EXPECT_EQ(Records(files[2]), before);
}

TEST(CloneTest, DryRunShowsTheChangesPerTargetAndWritesNothing) {
  TempDir dir;
  const std::string a = dir.Path("a.json");
  const std::string b = dir.Path("b.json");
  ASSERT_EQ(RunTool({"--simulate=" + a, "set", "MaxDistS=50"}).exitCode, 0);
  const ToolResult result = RunTool({"--simulate=" + a, "--simulate=" + b, "--json", "clone",
                                     "--from", "0", "--to", "1", "--dry-run"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const nlohmann::json document = nlohmann::json::parse(result.out);
  EXPECT_EQ(document["key_sequences"]["walk_away"], "LCTL+LALT+DELETE");
  ASSERT_EQ(document["targets"].size(), 1u);
  EXPECT_EQ(document["targets"][0]["written"], false);
  EXPECT_EQ(document["targets"][0]["changes"][0]["field"], "MaxDistS");
  EXPECT_EQ(Records(b)["tsSonarParms"]["MaxDistS"], 36);
}

TEST(CloneTest, RefusesTargetsThatCannotBe) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"--simulate", "clone", "--from", "0", "--to", "all"}, "needs a second sensor"},
      {{"--simulate", "--simulate", "clone", "--from", "0", "--to", "0"}, "same sensor"},
      {{"--simulate", "--simulate", "clone", "--from", "0", "--to", "5"}, "no sensor 5"},
      {{"--simulate", "--simulate", "clone", "--from", "0", "--to", "x"}, "'all', not 'x'"},
  };
  for (const Case& c : cases) {
    const ToolResult result = RunTool(c.args);
    EXPECT_EQ(result.exitCode, 2) << c.message;
    EXPECT_THAT(result.err, HasSubstr(c.message));
    EXPECT_THAT(result.out, Not(HasSubstr("Wrote")));
  }
}

}  // namespace
}  // namespace kv::cli::testing
