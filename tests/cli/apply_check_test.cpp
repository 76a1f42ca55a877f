// apply --check: a compliance check that writes nothing, exits 0 when every
// selected sensor holds the file's settings, 3 when one differs and 1 when a
// sensor or the file fails; --json says the same per sensor.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tool_runner.h"

namespace kv::cli::testing {
namespace {

using ::testing::HasSubstr;

// Sensor a already holds MaxDistS 40, sensor b is factory-fresh.
struct CheckCase {
  const char* name;
  const char* fileText;
  std::vector<std::string> selection;  // after "apply --check"
  int exitCode;
  std::vector<const char*> statuses;  // per sensor, in the JSON
  const char* message;                // on stderr; "" for none
};

TEST(ApplyCheckTest, ExitCodesAndJsonWithoutWriting) {
  const CheckCase cases[] = {
      {"holds", "MaxDistS = 40\n", {}, 0, {"unchanged"}, ""},
      {"differs", "MaxDistS = 41\n", {}, 3, {"changed"}, "does not hold the settings"},
      {"one of all differs", "MaxDistS = 40\n", {"--all"}, 3, {"unchanged", "changed"}, ""},
      {"the path chosen holds",
       "MaxDistS = 40\n",
       {"--path", "/dev/hidraw-emu0"},
       0,
       {"unchanged"},
       ""},
      {"refused file", "PingRateS = 150\n", {}, 1, {"failed"}, "refused the tsSonarParms"},
  };
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string a = "--simulate=" + dir.Path("a.json");
    const std::string b = "--simulate=" + dir.Path("b.json");
    ASSERT_EQ(RunTool({a, "set", "MaxDistS=40"}).exitCode, 0);
    const std::string file = dir.Path("site.txt");
    WriteFile(file, c.fileText);
    const std::string before = ReadFile(dir.Path("a.json"));

    std::vector<std::string> args = {a, b, "--trace", "--json", "apply", "--check"};
    args.insert(args.end(), c.selection.begin(), c.selection.end());
    args.push_back(file);
    const ToolResult result = RunTool(args);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    if (*c.message) {
      EXPECT_THAT(result.err, HasSubstr(c.message));
    }
    // Nothing but reads: no data or commit report, and the file unchanged.
    for (const std::string& line : TraceLines(result.err)) {
      EXPECT_FALSE(line.starts_with("set 00 90")) << line;
    }
    EXPECT_EQ(ReadFile(dir.Path("a.json")), before);

    const nlohmann::json json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json["check"], true);
    EXPECT_EQ(json["dry_run"], true);
    ASSERT_EQ(json["sensors"].size(), c.statuses.size());
    for (std::size_t n = 0; n < c.statuses.size(); ++n) {
      EXPECT_EQ(json["sensors"][n]["status"], c.statuses[n]);
      EXPECT_EQ(json["sensors"][n]["written"], nlohmann::json::array());
    }
  }
}

// The failure names its cause for an agent: the file, or the sensor.
TEST(ApplyCheckTest, AFailureSaysWhetherTheFileIsToBlame) {
  TempDir dir;
  const std::string file = dir.Path("bad.txt");
  WriteFile(file, "PingRateS = 150\n");
  const ToolResult refused = RunTool({"--simulate=" + dir.Path("s.json"), "--json", "apply", file});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(nlohmann::json::parse(refused.out)["sensors"][0]["file_error"], true);

  WriteFile(file, "PingRateS = 500\n");
  const ToolResult forgotten =
      RunTool({"--simulate=" + dir.Path("s.json"), "--json", "apply", file},
              {.env = {{"KV7700_SIMULATE_FAULT", "forget:1"}}});
  EXPECT_EQ(forgotten.exitCode, 1);
  EXPECT_EQ(nlohmann::json::parse(forgotten.out)["sensors"][0]["file_error"], false);
}

}  // namespace
}  // namespace kv::cli::testing
