// Every command that talks to the sensor, with the sensor refusing, or
// vanishing at, each report of the run in turn (the first fourteen read the
// configuration when the tool starts): the exit status, and the message that
// names the failed operation, its status word and what to try. The library's
// own test goes through every report of every read; here a read's failure
// reads alike at every request and at every answer, so beyond `show` the
// reads are taken at their first request, first answer and last answer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tool_runner.h"

namespace kv::cli::testing {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;

constexpr int kOpeningReads = 14;
constexpr const char* kSensor = "sensor 0 (/dev/hidraw-emu0)";
constexpr const char* kAdvice = "Check that the sensor is still plugged in";

enum class Phase { Command, Read, Write, Range, Control };
struct Segment {
  Phase phase;
  int reports;
  const char* operation;  // the library operation the message names
};

// How a command takes a failed read of the configuration at start-up.
enum class WithoutConfiguration {
  Stops,   // it needs the configuration: the read's failure ends it
  Lists,   // list: the sensor is listed with the failure
  GoesOn,  // range, halt, resume: they need no configuration
};

struct CommandCase {
  const char* name;
  std::vector<std::string> args;  // after --simulate=FILE
  const char* firmware;           // KV7700_SIMULATE_FIRMWARE, or ""
  WithoutConfiguration unread;
  std::vector<Segment> segments;  // the command's own reports
  // Every report of the start-up read, not only a sample of it.
  bool everyOpeningReport = false;
};

std::string Word(std::uint32_t status) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(status));
  return text;
}

std::uint32_t ExchangeCode(int index) {
  return index % 2 == 0 ? 0x202 : 0x102;  // a set, then its get
}

// The status word of a failure at report `index` (0-based) of `phase`.
std::uint32_t Status(Phase phase, int index) {
  switch (phase) {
    case Phase::Command:
      return 0x80000 | 0x202;
    case Phase::Read:
      return 0x20000 | ExchangeCode(index);
    case Phase::Write:
      return 0x40000 | 0x202;
    case Phase::Range:
      return 0x1000000 | ExchangeCode(index);
    case Phase::Control:
      return 0x2000000;
  }
  return 0;
}

std::string FailureText(const Segment& segment, int index) {
  if (segment.phase == Phase::Control) {
    return std::string("SendControl on ") + kSensor + " failed with status " +
           Word(Status(segment.phase, index));
  }
  return std::string(segment.operation) + " failed on " + kSensor + " with status " +
         Word(Status(segment.phase, index));
}

TEST(FaultMatrixTest, EveryReportOfEveryCommandRefusedOrVanishing) {
  const Segment read{Phase::Read, kOpeningReads, "ReadDevCfg"};
  const std::vector<CommandCase> commands = {
      {"show", {"show"}, "", WithoutConfiguration::Stops, {}, true},
      {"list", {"list"}, "", WithoutConfiguration::Lists, {}},
      {"set",
       {"set", "PingRateS=300", "Key1CodeWA=5", "Key1CodeWU=6", "PressRateI=9"},
       "",
       WithoutConfiguration::Stops,
       // The four records read again under the write's hold, then written.
       {{Phase::Read, 12, "ReadDevCfg"}, {Phase::Write, 13, "WriteDevCfg"}}},
      {"reset",
       {"reset"},
       "",
       WithoutConfiguration::Stops,
       {{Phase::Command, 1, "FactoryResetDev"}, {Phase::Read, 14, "FactoryResetDev"}}},
      {"reset with the idle repair",
       {"reset"},
       "0401",
       WithoutConfiguration::Stops,
       {{Phase::Command, 1, "FactoryResetDev"},
        {Phase::Read, 14, "FactoryResetDev"},
        {Phase::Write, 3, "FactoryResetDev"},
        {Phase::Read, 14, "FactoryResetDev"}}},
      {"restore-defaults",
       {"restore-defaults"},
       "",
       WithoutConfiguration::Stops,
       {{Phase::Command, 1, "RestoreUserDefaultsDev"},
        {Phase::Read, 14, "RestoreUserDefaultsDev"}}},
      {"save-defaults",
       {"save-defaults"},
       "",
       WithoutConfiguration::Stops,
       {{Phase::Command, 1, "SaveUserDefaultsDev"}, {Phase::Read, 14, "SaveUserDefaultsDev"}}},
      {"range", {"range"}, "", WithoutConfiguration::GoesOn, {{Phase::Range, 2, "GetRangeInfo"}}},
      {"halt", {"halt"}, "", WithoutConfiguration::GoesOn, {{Phase::Control, 1, "SendControl"}}},
      {"resume",
       {"resume"},
       "",
       WithoutConfiguration::GoesOn,
       {{Phase::Control, 1, "SendControl"}}},
  };

  for (const CommandCase& command : commands) {
    std::vector<Segment> segments{read};
    segments.insert(segments.end(), command.segments.begin(), command.segments.end());
    int n = 0;
    for (const Segment& segment : segments) {
      for (int index = 0; index < segment.reports; ++index) {
        ++n;
        const bool openingRead = n <= kOpeningReads;
        const bool sampled = index < 2 || index == segment.reports - 1;
        if (segment.phase == Phase::Read && !(openingRead && command.everyOpeningReport) &&
            !sampled) {
          continue;
        }
        for (const char* fault : {"refuse", "vanish"}) {
          SCOPED_TRACE(::testing::Message() << command.name << ", " << fault << " at report " << n);
          TempDir dir;
          const std::string file = "--simulate=" + dir.Path("s.json");
          std::vector<std::string> args{file};
          args.insert(args.end(), command.args.begin(), command.args.end());
          ToolOptions options;
          options.env["KV7700_SIMULATE_FAULT"] = std::string(fault) + ":" + std::to_string(n);
          if (*command.firmware) options.env["KV7700_SIMULATE_FIRMWARE"] = command.firmware;
          const ToolResult result = RunTool(args, options);

          if (openingRead && command.unread == WithoutConfiguration::GoesOn) {
            if (std::string(fault) == "refuse") {
              EXPECT_EQ(result.exitCode, 0) << result.err;
              continue;
            }
            // Vanished: the command's own first report fails as well.
            EXPECT_EQ(result.exitCode, 1);
            EXPECT_THAT(result.err,
                        AllOf(HasSubstr(FailureText(command.segments[0], 0)), HasSubstr(kAdvice)));
            continue;
          }
          EXPECT_EQ(result.exitCode, 1) << result.out;
          if (openingRead && command.unread == WithoutConfiguration::Lists) {
            EXPECT_THAT(result.out, HasSubstr("configuration read failed with status " +
                                              Word(Status(Phase::Read, index))));
            EXPECT_THAT(result.err, HasSubstr("1 sensor present could not be read"));
            continue;
          }
          EXPECT_THAT(result.err,
                      AllOf(HasSubstr(FailureText(segment, index)), HasSubstr(kAdvice)));

          if (segment.phase == Phase::Write && std::string(command.name) == "set") {
            // No commit went out: the sensor kept its configuration.
            const ToolResult shown = RunTool({file, "--json", "show"});
            ASSERT_EQ(shown.exitCode, 0) << shown.err;
            EXPECT_EQ(nlohmann::json::parse(shown.out)["tsSonarParms"]["PingRateS"], 200);
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace kv::cli::testing
