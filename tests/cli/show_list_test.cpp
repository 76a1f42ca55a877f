// show and list over emulated sensors: the text people read, the JSON scripts
// read, the trace and the progress display.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tool_runner.h"

namespace kv::cli::testing {
namespace {

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;
using ::testing::StartsWith;

TEST(ShowTest, PrintsEveryFieldUnderItsRecordWithValueAndUnit) {
  const ToolResult result = RunTool({"--simulate", "show"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(result.out, HasSubstr("Sensor 0: /dev/hidraw-emu0, firmware 4.10"));
  for (const char* record : {"tsSonarParms", "tsWalkAwayParms", "tsWalkUpParms", "tsIdleParms"}) {
    EXPECT_THAT(result.out, HasSubstr(std::string("\n") + record + "\n"));
  }
  // Factory defaults, with units and key names.
  EXPECT_THAT(result.out, ContainsRegex("\n  PingRateS +200  ms\n"));
  EXPECT_THAT(result.out, ContainsRegex("\n  MinDistS +14  in\n"));
  EXPECT_THAT(result.out, ContainsRegex("\n  Key1ModsWA +5  LCTL\\+LALT\n"));
  EXPECT_THAT(result.out, ContainsRegex("\n  Key1CodeWA +76  DELETE\n"));
  EXPECT_THAT(result.out, HasSubstr("walk-away:  LCTL+LALT+DELETE"));
  EXPECT_THAT(result.out, HasSubstr("walk-up:    none"));
  EXPECT_EQ(result.err, "");
}

TEST(ShowTest, JsonHasAnObjectPerRecordKeyedByFieldName) {
  const ToolResult result = RunTool({"--simulate", "show", "--json"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const nlohmann::json document = nlohmann::json::parse(result.out);
  EXPECT_EQ(document["sensor"]["firmware"], "4.10");
  EXPECT_EQ(document["tsSonarParms"].size(), 8u);
  EXPECT_EQ(document["tsWalkAwayParms"].size(), 16u);
  EXPECT_EQ(document["tsWalkUpParms"].size(), 16u);
  EXPECT_EQ(document["tsIdleParms"].size(), 8u);
  EXPECT_EQ(document["tsSonarParms"]["PingRateS"], 200);
  EXPECT_EQ(document["tsSonarParms"]["MaxDistS"], 36);
  EXPECT_EQ(document["tsWalkAwayParms"]["InterKeyDelayWA"], 128);
  EXPECT_EQ(document["key_sequences"]["walk_away"], "LCTL+LALT+DELETE");
}

TEST(ShowTest, DeviceOptionChoosesTheSensor) {
  TempDir dir;
  ASSERT_EQ(RunTool({"--simulate=" + dir.Path("b"), "set", "PingRateS=400"}).exitCode, 0);
  const ToolResult result =
      RunTool({"--simulate", "--simulate=" + dir.Path("b"), "--device", "1", "show", "--json"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const nlohmann::json document = nlohmann::json::parse(result.out);
  EXPECT_EQ(document["sensor"]["index"], 1);
  EXPECT_EQ(document["tsSonarParms"]["PingRateS"], 400);
}

// The line of `field` in a field listing ("  NAME  VALUE  NOTE" or
// "  NAME  OLD -> NEW  NOTE"), or "" when there is none.
std::string FieldLine(const std::string& text, const std::string& field) {
  std::size_t start = text.find("\n  " + field + " ");
  if (start == std::string::npos) return "";
  start += 1;
  return text.substr(start, text.find('\n', start) - start);
}

struct FieldNote {
  std::string field;
  std::string note;  // what the line ends with, after two blanks
};

void ExpectNotes(const std::string& text, const std::vector<FieldNote>& notes) {
  for (const FieldNote& expected : notes) {
    EXPECT_THAT(FieldLine(text, expected.field), ::testing::EndsWith("  " + expected.note)) << text;
  }
}

// Each unit of the field table as people read it, on firmware that packs both
// debounce delays into ORDBTmS (factory values: ORDBTmS 10, nothing in range).
TEST(ShowTest, NamesTheUnitOfEveryKindOfFieldOnOldFirmware) {
  const ToolResult result =
      RunTool({"--simulate", "show"}, {.env = {{"KV7700_SIMULATE_FIRMWARE", "0142"}}});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  ExpectNotes(result.out, {{"LEDFlagsS", "flags 0x00"},
                           {"PingRateS", "ms"},
                           {"Reserved1S", "40 kHz cycles (read-only)"},
                           {"MaxDistS", "in"},
                           {"ORDBTmS", "packed on this firmware: in-range 0, out-of-range 10 s"},
                           {"IRDBTmS", "unused on this firmware"},
                           {"StartDlyS", "s"},
                           {"KeyCountWA", "keys"},
                           {"Key1ModsWA", "LCTL+LALT"},
                           {"Key2ModsWA", "none"},
                           {"Reserved2WU", "reserved"},
                           {"Reserved1I", "reserved"},
                           {"PressRateI", "s (keep-alive key off)"},
                           {"DMTOTmI", "s"},
                           {"SNBlankTmI", "x 43 us"}});
}

// Flag bits by meaning (bits without one are left out), debounce units by
// the minutes flags, echo ticks in inches: the notes of changed fields.
TEST(SetTest, DryRunNamesFlagBitsAndDerivedUnits) {
  const ToolResult result =
      RunTool({"--simulate", "set", "--dry-run", "LEDFlagsS=0x45", "Flags0WA=1", "ORDBTmS=3",
               "Flags0WU=1", "IRDBTmS=4", "FlagsI=3", "DMTODeltaI=35", "PressRateI=60"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  ExpectNotes(result.out, {{"LEDFlagsS", "flags 0x45: indicator 1 off, indicator 3 off"},
                           {"Flags0WA", "flags 0x01: ORDBTmS in minutes"},
                           {"ORDBTmS", "min"},
                           {"Flags0WU", "flags 0x01: IRDBTmS in minutes"},
                           {"IRDBTmS", "min"},
                           {"FlagsI", "flags 0x03: dead-target detection, near target is a fault"},
                           {"DMTODeltaI", "echo ticks (about 10 in)"},
                           {"PressRateI", "s"}});
}

TEST(ListTest, NamesEverySensorWithPathIdentityAndFirmware) {
  const ToolResult text = RunTool({"--simulate", "--simulate", "list"},
                                  {.env = {{"KV7700_SIMULATE_FIRMWARE", "0144"}}});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.out,
            "0  /dev/hidraw-emu0  18c8:2bfa  firmware 1.44\n"
            "1  /dev/hidraw-emu1  18c8:2bfa  firmware 1.44\n");

  const ToolResult json = RunTool({"--simulate", "--simulate", "--json", "list"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const nlohmann::json document = nlohmann::json::parse(json.out);
  ASSERT_EQ(document["sensors"].size(), 2u);
  EXPECT_EQ(document["sensors"][1]["index"], 1);
  EXPECT_EQ(document["sensors"][1]["path"], "/dev/hidraw-emu1");
  EXPECT_EQ(document["sensors"][1]["vendor_id"], "18c8");
  EXPECT_EQ(document["sensors"][1]["product_id"], "2bfa");
  EXPECT_EQ(document["sensors"][1]["firmware"], "4.10");
}

TEST(ListTest, ListsEverySensorAndFailsWhenOneCannotBeRead) {
  // The first report of sensor 0 or of sensor 1 is refused.
  const struct {
    const char* fault;
    const char* lines;
  } cases[] = {
      {"refuse:2",
       "0  /dev/hidraw-emu0  18c8:2bfa  firmware 4.10  (configuration read failed with status "
       "00020102: "},
      {"refuse:2:1",
       "0  /dev/hidraw-emu0  18c8:2bfa  firmware 4.10\n"
       "1  /dev/hidraw-emu1  18c8:2bfa  firmware 4.10  (configuration read failed with status "
       "00020102: "},
  };
  for (const auto& c : cases) {
    const ToolResult text = RunTool({"--simulate", "--simulate", "list"},
                                    {.env = {{"KV7700_SIMULATE_FAULT", c.fault}}});
    EXPECT_EQ(text.exitCode, 1) << c.fault;
    EXPECT_THAT(text.out, StartsWith(c.lines)) << c.fault;
    EXPECT_THAT(text.out, HasSubstr("1  /dev/hidraw-emu1  18c8:2bfa  firmware 4.10"));
    EXPECT_THAT(text.err, HasSubstr("1 sensor present could not be read"));

    const ToolResult json = RunTool({"--simulate", "--simulate", "--json", "list"},
                                    {.env = {{"KV7700_SIMULATE_FAULT", c.fault}}});
    EXPECT_EQ(json.exitCode, 1) << c.fault;
    const nlohmann::json document = nlohmann::json::parse(json.out);
    ASSERT_EQ(document["sensors"].size(), 2u);
    EXPECT_NE(document["sensors"][0]["configuration_read"],
              document["sensors"][1]["configuration_read"]);
  }
}

TEST(TraceTest, EveryReportOfAReadIsOneLineOfNineHexBytes) {
  const ToolResult result = RunTool({"--simulate", "--trace", "show"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::vector<std::string> trace = TraceLines(result.err);
  // Seven read exchanges: a request and an answer each.
  ASSERT_EQ(trace.size(), 14u) << result.err;
  EXPECT_EQ(trace[0], "set 00 80 00 00 00 00 00 00 00");
  EXPECT_EQ(trace[1], "get 00 00 32 28 31 7d 0a 02 00");
  EXPECT_EQ(trace[12], "set 00 8a 00 00 00 00 00 00 00");
  EXPECT_THAT(trace[13], MatchesRegex("get 00 .. .. 10 04 .. .. .. .."));
}

TEST(ProgressTest, LongWorkShowsProgressOnATerminalOnly) {
  if (!TerminalAvailable()) GTEST_SKIP() << "no terminal can be given to a child process here";
  // A configuration read takes 1.75 s: long enough for the display.
  const ToolResult terminal =
      RunTool({"--simulate", "show"}, {.env = {}, .virtualTime = true, .stderrOnTerminal = true});
  ASSERT_EQ(terminal.exitCode, 0);
  EXPECT_THAT(terminal.err, HasSubstr("Reading sensors... "));
  EXPECT_THAT(terminal.err, HasSubstr("\r\033[K"));  // and cleared again

  const ToolResult pipe = RunTool({"--simulate", "show"});
  EXPECT_THAT(pipe.err, Not(HasSubstr("Reading sensors")));
}

}  // namespace
}  // namespace kv::cli::testing
