// range: live distance readings, once or every MS milliseconds.
#include <kv7700/clock.h>
#include <kv7700/kv7700.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "command.h"
#include "console.h"
#include "output.h"
#include "progress.h"

namespace kv::cli {

namespace {

constexpr int kMinWatchMs = 100;

std::string RangeText(const RangeInfo& reading) {
  char text[64];
  std::snprintf(text, sizeof text,
                reading.InRange ? "InRange: %d inches" : "NOT InRange: %d inches",
                reading.Distance);
  return text;
}

Json RangeJson(const RangeInfo& reading) {
  return {{"distance", reading.Distance},
          {"in_range", reading.InRange != 0},
          {"status_bit1", reading.StatusBit1},
          {"status_bit2", reading.StatusBit2}};
}

// On a terminal a series redraws one line: a bar of 0 to 60 inches with the
// detection distances as '|' and the reading as '#' (or '>' beyond the
// scale), then the reading's text.
constexpr int kBarInches = 60;

std::string RangeBar(const RangeInfo& reading, std::uint16_t minInches, std::uint16_t maxInches) {
  std::string bar(kBarInches + 1, '-');
  for (int inches = minInches; inches <= maxInches && inches <= kBarInches; ++inches) {
    bar[static_cast<std::size_t>(inches)] = ' ';
  }
  for (std::uint16_t edge : {minInches, maxInches}) {
    if (edge <= kBarInches) bar[edge] = '|';
  }
  if (reading.Distance <= kBarInches) {
    bar[reading.Distance] = '#';
  } else {
    bar.back() = '>';
  }
  std::string line = "[";
  line.append(bar).append("] ").append(RangeText(reading));
  return line;
}

class RangeCommand final : public SensorCommand {
 public:
  RangeCommand() : SensorCommand(Needs::Selection) {}

  int watchMs = 0;  // 0: no repetition
  int count = 0;    // 0: no limit

 private:
  void CheckArguments() override {
    if (watchMs != 0 && watchMs < kMinWatchMs) {
      throw UsageError("--watch takes at least " + std::to_string(kMinWatchMs) +
                       " milliseconds, not " + std::to_string(watchMs) + ".");
    }
  }

  void Run(Context& context, const Sensor& sensor) override {
    if (GetFirmwareVersion() < kFwRangeReading) {
      Progress::Instance().PrintLine("kv7700ctl: note: " + sensor.name + " has firmware " +
                                     FirmwareText(GetFirmwareVersion()) +
                                     "; range readings need firmware 1.44 or later and may be "
                                     "meaningless.");
    }

    const bool series = watchMs != 0 || count != 0;
    const Output& out = context.out;
    tsSonarParms sonar;
    const bool bar = series && !out.IsJson() && IsTerminal(stdout) && GetSonarParms(&sonar);
    InterruptGuard interrupts;
    Clock& clock = GetClock();
    int taken = 0;
    bool first = true;
    if (series && out.IsJson()) out.Raw("[\n");
    while (true) {
      const std::uint64_t startMs = clock.NowMs();
      RangeInfo reading;
      if (!GetRangeInfo(&reading)) {
        if (series && out.IsJson()) out.Raw(first ? "]\n" : "\n]\n");
        throw DeviceFailure("GetRangeInfo", sensor.name, GetDevError());
      }
      ++taken;
      if (out.IsJson()) {
        if (series) {
          out.Raw(std::string(first ? "  " : ",\n  ") + RangeJson(reading).dump());
        } else {
          out.Document(RangeJson(reading));
        }
      } else if (bar) {
        // \33[K clears what a longer line before left.
        out.Raw("\r" + RangeBar(reading, sonar.MinDistS, sonar.MaxDistS) + "\33[K");
      } else {
        out.Raw(RangeText(reading) + "\n");
      }
      first = false;
      if (!series || out.Closed() || (count != 0 && taken >= count)) break;
      const std::uint64_t elapsed = clock.NowMs() - startMs;
      const std::uint64_t period = static_cast<std::uint64_t>(watchMs);
      if (elapsed < period && !SleepUnlessInterrupted(period - elapsed)) break;
      if (Interrupted()) break;
    }
    if (series && out.IsJson()) out.Raw("\n]\n");
    if (bar) out.Raw("\n");
  }
};

}  // namespace

void AddRangeCommand(CLI::App& app, Command* chosen) {
  auto command = std::make_shared<RangeCommand>();
  CLI::App* range = AddSensorCommand(app, chosen, "range", "Take a live distance reading", command);
  range
      ->add_option("--watch", command->watchMs,
                   "Repeat every MS milliseconds (at least 100) until interrupted")
      ->type_name("MS")
      ->check(CLI::NonNegativeNumber);
  range->add_option("--count", command->count, "Stop after N readings")
      ->type_name("N")
      ->check(CLI::PositiveNumber);
}

}  // namespace kv::cli
