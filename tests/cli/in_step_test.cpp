// Commands that write several sensors write them together and read them back
// together: on the virtual clock, sixteen sensors take the time of one, and a
// sensor that fails its write or its read-back is named while the others are
// still written and checked.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <kv7700/clock.h>
#include <kv7700/emulation.h>

#include <map>
#include <string>
#include <vector>

#include "command_line.h"
#include "environment.h"
#include "hid/emulated/emulated_sensor.h"
#include "hid/emulated/sensor_set_probe.h"
#include "tool_runner.h"

namespace kv::cli::testing {
namespace {

using ::testing::HasSubstr;

struct Fault {
  int sensor;
  int report;  // counted from the start: the read at open is reports 1 to 14
  emu::SensorFault kind;
};

struct ToolRun {
  int exitCode = -1;
  std::string error;  // the failure's message
  std::uint64_t waitedMs = 0;
  std::vector<bool> written;  // per sensor: its memory differs from a fresh one's
};

// Runs kv7700ctl's command line in this process on a virtual clock, so the
// test can tell how long the tool waited and look into its sensors.
ToolRun RunInProcess(std::vector<std::string> words, const std::vector<Fault>& faults) {
  words.insert(words.begin(), "kv7700ctl");
  std::vector<char*> argv;
  argv.reserve(words.size());
  for (std::string& word : words) argv.push_back(word.data());
  VirtualClock clock;
  SetClock(&clock);  // the tool's own clock waits on this one; reset by Environment
  CommandLine line;
  EXPECT_FALSE(ParseCommandLine(line, static_cast<int>(argv.size()), argv.data()));
  Environment environment(line.options);
  emu::SensorSet& sensors = environment.GetSimulation()->Sensors();
  for (const Fault& fault : faults) sensors.FailAtExchange(fault.sensor, fault.report, fault.kind);
  ToolRun run{kExitOk, {}, 0, {}};
  try {
    Context context{line.options, Output(line.options.json), {}, environment.GetSimulation()};
    line.chosen(context);
  } catch (const CliError& error) {
    run = {error.Code(), error.what(), 0, {}};
  }
  run.waitedMs = clock.SleptMs();
  const emu::Memory fresh = emu::EmulatedSensor(0x0410).CopyMemories().working;
  for (std::size_t i = 0; i < sensors.Count(); ++i) {
    run.written.push_back(emu::SensorSetProbe::Sensor(sensors, i).CopyMemories().working != fresh);
  }
  return run;
}

TEST(InStepTest, ManySensorsAreWrittenAndReadBackInTheTimeOfOne) {
  TempDir dir;
  const std::string file = dir.Path("site.txt");
  WriteFile(file, "MaxDistS = 40\n");  // fresh sensors hold 36
  const std::vector<std::string> apply = {"apply", "--all", file};
  const std::vector<std::string> clone = {"clone", "--verify", "--from", "0", "--to", "all"};
  // Read at start, read again under the write's hold, the write, read-back.
  constexpr std::uint64_t kApplyMs = 1750 + 1750 + 250 + 1750;
  constexpr std::uint64_t kCloneMs = 1750 + 1750 + 6 * 250 + 1750;
  using enum emu::SensorFault;
  struct Case {
    std::vector<std::string> args;
    int sensors;
    std::vector<Fault> faults;
    std::map<int, const char*> failures;  // sensor, what its message says
    std::uint64_t waitedMs;
  };
  const Case cases[] = {
      {apply, 1, {}, {}, kApplyMs},
      {apply, 16, {}, {}, kApplyMs},
      // 15 to 28: the read under the hold; 29 to 31: request, data report,
      // commit; 32 on: the read-back.
      {apply,
       16,
       {{0, 30, Vanish}, {7, 33, Refuse}, {15, 29, Forget}},
       {{0, "WriteDevCfg failed"},
        {7, "ReadDevCfg (read-back) failed"},
        {15, "differs from what was written"}},
       kApplyMs},
      // Discovery stops at it; the others are read again, together.
      {apply, 16, {{0, 2, Refuse}}, {{0, "ReadDevCfg failed"}}, 1750 + kApplyMs},
      // The write is reports 29 to 41.
      {clone, 16, {{9, 43, Refuse}}, {{9, "ReadDevCfg (read-back) failed"}}, kCloneMs},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args(c.sensors, "--simulate");
    args.insert(args.end(), c.args.begin(), c.args.end());
    const std::string what = c.args[0] + " to " + std::to_string(c.sensors);
    const ToolRun run = RunInProcess(args, c.faults);
    EXPECT_EQ(run.waitedMs, c.waitedMs) << what;
    EXPECT_EQ(run.exitCode, c.failures.empty() ? kExitOk : kExitFailure) << what << run.error;
    for (int i = 0; i < c.sensors; ++i) {
      const std::string name = "sensor " + std::to_string(i) + " (";
      const auto failure = c.failures.find(i);
      const bool failed = failure != c.failures.end();
      EXPECT_EQ(run.error.find(name) != std::string::npos, failed) << what;
      EXPECT_THAT(run.error, HasSubstr(failed ? failure->second : "")) << what;
      // Of the failed sensors only one that refused its read-back kept the
      // write; a clone of fresh sensors changes no memory.
      const bool kept =
          !failed || std::string(failure->second).find("read-back") != std::string::npos;
      EXPECT_EQ(run.written[i], kept && c.args[0] == "apply") << what << ", sensor " << i;
    }
  }
}

}  // namespace
}  // namespace kv::cli::testing
