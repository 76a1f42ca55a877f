// clone --from N --to M|all: one sensor's configuration written to others.
#include <kv7700/status_codes.h>
#include <kv7700/template_file.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>

#include "command.h"
#include "config_text.h"
#include "held_turns.h"
#include "output.h"
#include "sensor.h"
#include "verify.h"

namespace kv::cli {

namespace {

struct CloneOptions {
  int from = 0;
  std::string to;
  bool dryRun = false;
  bool verify = false;
};

// The sensor --to names, or nothing for 'all'; checked before any sensor is
// touched.
std::optional<int> ParseTarget(const CloneOptions& options) {
  if (options.to == "all") return std::nullopt;
  int target = 0;
  const char* end = options.to.data() + options.to.size();
  auto [ptr, error] = std::from_chars(options.to.data(), end, target);
  if (options.to.empty() || error != std::errc() || ptr != end || target < 0) {
    throw UsageError("--to takes a sensor number or 'all', not '" + options.to + "'.");
  }
  if (target == options.from) throw UsageError("--from and --to name the same sensor.");
  return target;
}

std::vector<int> Targets(std::optional<int> single, int from, int count) {
  if (single) return {*single};
  std::vector<int> targets;
  for (int i = 0; i < count; ++i) {
    if (i != from) targets.push_back(i);
  }
  if (targets.empty())
    throw UsageError("clone --to all needs a second sensor; only one is attached.");
  return targets;
}

// One target of the clone: read, stored, then written with the others.
struct Target {
  int index = 0;
  std::string name;
  Json result;
  RecordSet before;
  std::uint16_t firmware = 0;
  std::string error;     // why this target was not written, or failed its read-back
  bool written = false;  // written but not kept as written
};

// Reads a target from the cache and stores the source's records in it.
Target Prepare(SensorRun& sensors, int index, const RecordSet& config,
               const std::vector<RecordKind>& records) {
  Target target{index, sensors.Describe(index), {{"index", index}}, {}, 0, {}, false};
  try {
    const Sensor to = ReadSensor(sensors, index);
    target.result = SensorJson(to.info);
    target.before = to.config;
    target.firmware = to.info.firmware;
    StoreRecords(config, records, target.name);
  } catch (const CliError& error) {
    target.error = error.what();
  }
  return target;
}

void RunClone(Context& context, const CloneOptions& options) {
  const std::optional<int> single = ParseTarget(options);
  SensorRun& sensors = context.sensors;
  sensors.OpenAll();
  const Sensor from = ReadSensor(sensors, options.from);
  const std::string& source = from.name;
  const RecordSet& config = from.config;
  const std::vector<int> indices = Targets(single, options.from, sensors.Count());
  for (int index : indices) sensors.Select(index);  // every target exists

  if (!context.out.IsJson()) {
    context.out.Line("Key sequences to be written from " + source + ":");
    for (const std::string& line : KeySequenceLines(config)) context.out.Line(line);
  }
  const std::vector<RecordKind> records(kLoadStoreOrder.begin(), kLoadStoreOrder.end());
  std::vector<Target> targets;
  const auto of = [&](int index) -> Target& {
    return *std::find_if(targets.begin(), targets.end(),
                         [&](const Target& t) { return t.index == index; });
  };
  // Each target is read again, written and read back in one hold; the free
  // ones together (their waits overlap), then each busy one on its own.
  const auto turn = [&](const std::vector<int>& held) {
    const std::vector<std::uint32_t> readErrors = sensors.Reread(held);
    std::vector<int> ready;  // the targets that took the records
    for (std::size_t n = 0; n < held.size(); ++n) {
      targets.push_back(Prepare(sensors, held[n], config, records));
      if (readErrors[n] != 0) {
        targets.back().error =
            DeviceFailure("ReadDevCfg", targets.back().name, readErrors[n]).what();
      }
      if (targets.back().error.empty()) ready.push_back(held[n]);
    }
    if (options.dryRun || ready.empty()) return;
    const std::vector<std::uint32_t> errors = WriteConfigurations(ready);
    for (std::size_t n = 0; n < ready.size(); ++n) {
      if (errors[n] == 0) continue;
      Target& target = of(ready[n]);
      target.error = DeviceFailure("WriteDevCfg", target.name, errors[n]).what();
    }
    // The written targets are read back together too.
    if (options.verify) {
      std::vector<WrittenSensor> written;
      std::vector<Target*> checked;
      for (int index : ready) {
        Target& target = of(index);
        if (!target.error.empty()) continue;
        written.push_back({target.index, target.name,
                           ExpectedAfterWrite(config, target.before, records), records});
        checked.push_back(&target);
      }
      const std::vector<std::string> wrong = VerifyWrites(written);
      for (std::size_t n = 0; n < checked.size(); ++n) {
        if (wrong[n].empty()) continue;
        Target& target = *checked[n];
        target.error = wrong[n];
        target.result["changes"] = ChangesJson(target.before, config);
        target.written = true;
      }
    }
  };
  InTurns(indices, turn, [&](int index, std::uint32_t status) {
    targets.push_back({index, sensors.Describe(index), {{"index", index}}, {}, 0, {}, false});
    targets.back().error =
        DeviceFailure("ReadDevCfg", targets.back().name, kGroupRead | status).what();
  });
  std::stable_sort(targets.begin(), targets.end(),
                   [](const Target& a, const Target& b) { return a.index < b.index; });

  Json results = Json::array();
  std::string failures;
  for (Target& target : targets) {
    if (!target.error.empty()) {
      // The other targets still got their copy.
      target.result["written"] = target.written;
      target.result["error"] = target.error;
      failures += (failures.empty() ? "" : "\n") + target.error;
      results.push_back(target.result);
      continue;
    }
    target.result["changes"] = ChangesJson(target.before, config);
    target.result["written"] = !options.dryRun;
    target.result["verified"] = !options.dryRun && options.verify;
    results.push_back(target.result);
    if (context.out.IsJson()) continue;
    const std::vector<std::string> changes = ChangeLines(target.before, config, target.firmware);
    context.out.Line(changes.empty() ? "No value changes on " + target.name + "."
                                     : "Changes on " + target.name + ":");
    for (const std::string& line : changes) context.out.Line(line);
    std::string done = options.dryRun ? "Dry run: nothing was written to "
                                      : "Wrote the configuration of " + source + " to ";
    done.append(target.name).append(!options.dryRun && options.verify ? " and read it back." : ".");
    context.out.Line(done);
  }
  if (context.out.IsJson()) {
    context.out.Document({{"source", options.from},
                          {"dry_run", options.dryRun},
                          {"key_sequences", KeySequencesJson(config)},
                          {"targets", results}});
  }
  if (!failures.empty()) throw Failure(failures);
}

}  // namespace

void AddCloneCommand(CLI::App& app, Command* chosen) {
  auto options = std::make_shared<CloneOptions>();
  CLI::App* clone = app.add_subcommand(
      "clone", "Write the configuration of one sensor to others (prints the key sequences)");
  clone->add_option("--from", options->from, "Sensor to copy from")
      ->required()
      ->check(CLI::NonNegativeNumber);
  clone->add_option("--to", options->to, "Sensor to copy to, or 'all'")->required();
  clone->add_flag("--dry-run", options->dryRun, "Show what would change and write nothing");
  clone->add_flag("--verify", options->verify,
                  "Read each target back after writing and fail when it differs");
  clone->callback([chosen, options] {
    *chosen = [options](Context& context) { RunClone(context, *options); };
  });
}

}  // namespace kv::cli
