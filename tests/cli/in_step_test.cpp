// Commands that write several sensors write them together and read them back
// together: on the virtual clock, sixteen sensors take the time of one, and a
// sensor that fails its write or its read-back is named while the others are
// still written and checked.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <kv7700/clock.h>
#include <kv7700/emulation.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "command_line.h"
#include "environment.h"
#include "hid/emulated/emulated_sensor.h"
#include "tool_runner.h"

namespace kv::cli::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

struct ToolRun {
  int exitCode = -1;
  std::string error;  // the failure's message
  std::uint64_t waitedMs = 0;
};

// Runs kv7700ctl's command line in this process on a virtual clock, so the
// test can tell how long the tool waited; `before` and `after` see the
// emulated sensors around the command.
ToolRun RunInProcess(std::vector<std::string> words,
                     const std::function<void(emu::SensorSet&)>& before,
                     const std::function<void(emu::SensorSet&)>& after) {
  words.insert(words.begin(), "kv7700ctl");
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  VirtualClock clock;
  SetClock(&clock);  // the tool's clock waits on this one
  CommandLine line;
  ToolRun run;
  if (const std::optional<int> done =
          ParseCommandLine(line, static_cast<int>(argv.size()), argv.data())) {
    SetClock(nullptr);
    run.exitCode = *done;
    return run;
  }
  Environment environment(line.options);
  emu::SensorSet& sensors = environment.GetSimulation()->Sensors();
  before(sensors);
  clock.ResetSlept();
  {
    Context context{line.options, Output(line.options.json), {}, environment.GetSimulation()};
    try {
      line.chosen(context);
      run.exitCode = kExitOk;
    } catch (const CliError& error) {
      run.exitCode = error.Code();
      run.error = error.what();
    }
  }
  run.waitedMs = clock.SleptMs();
  after(sensors);
  return run;
}

struct Fault {
  int sensor;
  int report;  // counted from the start: the read at open is reports 1 to 14
  emu::SensorFault kind;
};

TEST(InStepTest, ManySensorsAreWrittenAndReadBackInTheTimeOfOne) {
  TempDir dir;
  const std::string file = dir.Path("site.txt");
  WriteFile(file, "MaxDistS = 40\n");  // fresh sensors hold 36
  const std::vector<std::string> apply = {"apply", "--all", file};
  const std::vector<std::string> clone = {"--json", "clone", "--verify", "--from",
                                          "0",      "--to",  "all"};
  // The read at open, one record written, the read-back.
  constexpr std::uint64_t kApplyMs = 1750 + 250 + 1750;
  // All four records: six data reports.
  constexpr std::uint64_t kCloneMs = 1750 + 6 * 250 + 1750;
  struct Case {
    const char* what;
    std::vector<std::string> args;
    int sensors;
    std::vector<Fault> faults;
    std::map<int, const char*> failures;  // sensor, what its message says
    std::set<int> notKept;                // sensors that do not hold the file afterwards
    std::uint64_t waitedMs;
  };
  const Case cases[] = {
      {"one sensor", apply, 1, {}, {}, {}, kApplyMs},
      {"sixteen sensors", apply, 16, {}, {}, {}, kApplyMs},
      // Its data report (15 is the request) and then everything after.
      {"pulled out during the write",
       apply,
       4,
       {{2, 16, emu::SensorFault::Vanish}},
       {{2, "WriteDevCfg failed"}},
       {2},
       kApplyMs},
      // The first answer of the read-back (after the request, data, commit).
      {"refuses its read-back",
       apply,
       4,
       {{1, 19, emu::SensorFault::Refuse}},
       {{1, "ReadDevCfg (read-back) failed"}},
       {},
       kApplyMs},
      {"one pulled out, another not keeping the write",
       apply,
       16,
       {{0, 16, emu::SensorFault::Vanish}, {15, 15, emu::SensorFault::Forget}},
       {{0, "WriteDevCfg failed"}, {15, "differs from what was written"}},
       {0, 15},
       kApplyMs},
      // Discovery stops at it; the others are read again, together.
      {"refuses its read at open",
       apply,
       16,
       {{0, 2, emu::SensorFault::Refuse}},
       {{0, "ReadDevCfg failed"}},
       {0},
       1750 + kApplyMs},
      {"clone to fifteen", clone, 16, {}, {}, {}, kCloneMs},
      // Thirteen reports of the write (15 to 27), then the read-back.
      {"clone, a target refusing its read-back",
       clone,
       16,
       {{7, 29, emu::SensorFault::Refuse}},
       {{7, "ReadDevCfg (read-back) failed"}},
       {},
       kCloneMs},
  };
  const emu::Memory fresh = emu::EmulatedSensor(0x0410).CopyMemories().working;
  for (const Case& c : cases) {
    std::vector<std::string> args(c.sensors, "--simulate");
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::vector<bool> kept;
    const ToolRun run = RunInProcess(
        args,
        [&](emu::SensorSet& sensors) {
          for (const Fault& fault : c.faults) {
            sensors.FailAtExchange(fault.sensor, fault.report, fault.kind);
          }
        },
        [&](emu::SensorSet& sensors) {
          for (int i = 0; i < c.sensors; ++i) {
            kept.push_back(sensors.Sensor(i).CopyMemories().working != fresh);
          }
        });
    EXPECT_EQ(run.waitedMs, c.waitedMs) << c.what;
    EXPECT_EQ(run.exitCode, c.failures.empty() ? kExitOk : kExitFailure) << c.what << run.error;
    for (int i = 0; i < c.sensors; ++i) {
      const std::string name = "sensor " + std::to_string(i) + " (";
      if (const auto failure = c.failures.find(i); failure != c.failures.end()) {
        EXPECT_THAT(run.error, HasSubstr(failure->second)) << c.what;
        EXPECT_THAT(run.error, HasSubstr(name)) << c.what;
      } else {
        EXPECT_THAT(run.error, Not(HasSubstr(name))) << c.what;
      }
      if (c.args[0] == "apply") {
        EXPECT_EQ(kept[i], !c.notKept.contains(i)) << c.what << ", sensor " << i;
      }
    }
  }
}

}  // namespace
}  // namespace kv::cli::testing
