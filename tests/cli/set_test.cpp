// set: names checked before anything is sent, values through the library's
// Set operations, only the touched records written, and the result kept in
// the emulated sensor's file for the next run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tool_runner.h"

namespace kv::cli::testing {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr std::size_t kReadReports = 14;

// The reports after the configuration read: what a command wrote.
std::vector<std::string> WrittenReports(const std::string& err) {
  std::vector<std::string> trace = TraceLines(err);
  if (trace.size() < kReadReports) return trace;
  return {trace.begin() + kReadReports, trace.end()};
}

nlohmann::json Show(const std::string& file) {
  const ToolResult result = RunTool({"--simulate=" + file, "show", "--json"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  return nlohmann::json::parse(result.out);
}

TEST(SetTest, ASetIsSeenByShowInALaterRun) {
  TempDir dir;
  const std::string sensor = dir.Path("sensor.json");
  const ToolResult set =
      RunTool({"--simulate=" + sensor, "set", "pingrates=300", "MAXDISTS=40", "Key2CodeWU=4"});
  ASSERT_EQ(set.exitCode, 0) << set.err;
  EXPECT_THAT(set.out, HasSubstr("Wrote tsWalkUpParms, tsSonarParms to sensor 0"));

  const nlohmann::json shown = Show(sensor);
  EXPECT_EQ(shown["tsSonarParms"]["PingRateS"], 300);
  EXPECT_EQ(shown["tsSonarParms"]["MaxDistS"], 40);
  EXPECT_EQ(shown["tsWalkUpParms"]["Key2CodeWU"], 4);
  EXPECT_EQ(shown["tsSonarParms"]["MinDistS"], 14);  // untouched
}

// The widest values each kind of word takes reach the sensor unchanged and
// come back in the next run.
TEST(SetTest, TheLargestValueAWordTakesSurvivesTheWrite) {
  TempDir dir;
  const std::string sensor = dir.Path("sensor.json");
  const ToolResult set = RunTool({"--simulate=" + sensor, "set", "LEDFlagsS=127", "Flags0WA=15",
                                  "Flags0WU=15", "KeyCountWA=6", "StartDlyS=255", "FlagsI=255",
                                  "PingRateS=1020", "MaxDistS=60", "InterKeyDelayWU=16320"});
  ASSERT_EQ(set.exitCode, 0) << set.err;
  const nlohmann::json shown = Show(sensor);
  EXPECT_EQ(shown["tsSonarParms"]["LEDFlagsS"], 127);
  EXPECT_EQ(shown["tsSonarParms"]["StartDlyS"], 255);
  EXPECT_EQ(shown["tsSonarParms"]["PingRateS"], 1020);
  EXPECT_EQ(shown["tsSonarParms"]["MaxDistS"], 60);
  EXPECT_EQ(shown["tsWalkAwayParms"]["Flags0WA"], 15);
  EXPECT_EQ(shown["tsWalkAwayParms"]["KeyCountWA"], 6);
  EXPECT_EQ(shown["tsWalkUpParms"]["Flags0WU"], 15);
  EXPECT_EQ(shown["tsWalkUpParms"]["InterKeyDelayWU"], 16320);
  EXPECT_EQ(shown["tsIdleParms"]["FlagsI"], 255);
}

TEST(SetTest, ReadsAgainAndWritesOnlyTheRecordsItTouches) {
  const ToolResult result = RunTool({"--simulate", "--trace", "set", "StartDlyS=7"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  // The sonar record read again under the write's hold, then written.
  EXPECT_THAT(WrittenReports(result.err),
              ElementsAre("set 00 80 00 00 00 00 00 00 00", "get 00 00 32 28 31 7d 0a 02 00",
                          "set 00 80 00 00 00 00 00 00 00", "set 00 00 32 28 31 7d 0a 02 07",
                          "set 00 90 01 00 00 00 00 00 00"));
}

TEST(SetTest, DryRunShowsOldAndNewValuesAndKeyStrokesAndWritesNothing) {
  TempDir dir;
  const std::string sensor = dir.Path("sensor.json");
  const ToolResult result = RunTool(
      {"--simulate=" + sensor, "--trace", "set", "--dry-run", "Key1CodeWA=4", "PingRateS=500"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(result.out,
              AllOf(HasSubstr("PingRateS"), HasSubstr("200 -> 500"), HasSubstr("ms"),
                    HasSubstr("Key1CodeWA"), HasSubstr("76 -> 4"), HasSubstr("DELETE -> A"),
                    HasSubstr("walk-away keys:  LCTL+LALT+DELETE -> LCTL+LALT+A"),
                    HasSubstr("Dry run: nothing was written")));
  EXPECT_THAT(WrittenReports(result.err), IsEmpty());
  EXPECT_EQ(Show(sensor)["tsSonarParms"]["PingRateS"], 200);
}

TEST(SetTest, JsonListsTheChangesAndTheWrittenRecords) {
  const ToolResult result = RunTool({"--simulate", "--json", "set", "InterKeyDelayWA=640"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const nlohmann::json document = nlohmann::json::parse(result.out);
  ASSERT_EQ(document["changes"].size(), 1u);
  EXPECT_EQ(document["changes"][0]["field"], "InterKeyDelayWA");
  EXPECT_EQ(document["changes"][0]["old"], 128);
  EXPECT_EQ(document["changes"][0]["new"], 640);
  EXPECT_EQ(document["written"], nlohmann::json::array({"tsWalkAwayParms"}));
}

struct BadSet {
  const char* name;
  std::vector<std::string> assignments;
  int exitCode;
  std::vector<std::string> inMessage;
};

void PrintTo(const BadSet& bad, std::ostream* out) {
  *out << bad.name;
}

class SetRefusalTest : public ::testing::TestWithParam<BadSet> {};

// Nothing reaches the sensor: names and values the tool can judge are refused
// before the sensor is even read; values the library refuses are refused
// before anything is written.
TEST_P(SetRefusalTest, RefusesWithAMessageAndWritesNothing) {
  TempDir dir;
  const std::string sensor = dir.Path("sensor.json");
  const BadSet& bad = GetParam();
  std::vector<std::string> args = {"--simulate=" + sensor, "--trace", "set"};
  args.insert(args.end(), bad.assignments.begin(), bad.assignments.end());
  const ToolResult result = RunTool(args);
  EXPECT_EQ(result.exitCode, bad.exitCode) << result.err;
  for (const std::string& part : bad.inMessage) EXPECT_THAT(result.err, HasSubstr(part));
  const std::vector<std::string> trace = TraceLines(result.err);
  if (bad.exitCode == 2) {
    EXPECT_THAT(trace, IsEmpty());
  } else {
    EXPECT_THAT(WrittenReports(result.err), IsEmpty());
  }
  EXPECT_EQ(Show(sensor)["tsSonarParms"]["PingRateS"], 200);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, SetRefusalTest,
    ::testing::Values(
        BadSet{"UnknownName", {"PingRateS=300", "PingRat=300"}, 2, {"no field named 'PingRat'"}},
        BadSet{"NoEqualsSign", {"PingRateS"}, 2, {"not NAME=VALUE"}},
        BadSet{"NotANumber", {"PingRateS=fast"}, 2, {"'fast' is not a value for PingRateS"}},
        BadSet{"Beyond16Bits", {"PingRateS=70000"}, 2, {"0 to 65535"}},
        BadSet{"ByteFieldBeyond255", {"StartDlyS=256"}, 2, {"StartDlyS", "one byte, 0 to 255"}},
        // A write would drop the high bits of these flag words.
        BadSet{"LedFlagsBeyond7Bits", {"LEDFlagsS=128"}, 2, {"LEDFlagsS", "low 7 bits, 0 to 127"}},
        BadSet{"WalkAwayFlagsBeyond4Bits", {"Flags0WA=16"}, 2, {"Flags0WA", "low 4 bits, 0 to 15"}},
        BadSet{"WalkUpFlagsBeyond4Bits", {"Flags0WU=0x80"}, 2, {"Flags0WU", "low 4 bits, 0 to 15"}},
        BadSet{"ReservedWord", {"Reserved2WU=1"}, 2, {"Reserved2WU is reserved"}},
        BadSet{
            "CycleCount", {"reserved1s=41"}, 2, {"Reserved1S is the sensor's 40 kHz cycle count"}},
        BadSet{"NameTwice", {"PingRateS=300", "pingrates=400"}, 2, {"more than once"}},
        BadSet{"PingRateBelowLimit",
               {"StartDlyS=9", "PingRateS=150"},
               1,
               {"SetSonarParms refused PingRateS = 150", "00201000", "200 to 1020",
                "Nothing was written"}},
        BadSet{"KeyCountAboveSix", {"KeyCountWU=7"}, 1, {"KeyCountWU = 7", "00201020", "0 to 6"}},
        BadSet{"InterKeyDelayBelowLimit",
               {"InterKeyDelayWA=10"},
               1,
               {"InterKeyDelayWA = 10", "64 to 16320"}}),
    [](const ::testing::TestParamInfo<BadSet>& info) { return info.param.name; });

}  // namespace
}  // namespace kv::cli::testing
