// clone --from N --to M|all: one sensor's configuration written to others.
#include <CLI/CLI.hpp>
#include <charconv>
#include <memory>
#include <optional>

#include "command.h"
#include "config_text.h"
#include "output.h"
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

void RunClone(Context& context, const CloneOptions& options) {
  const std::optional<int> single = ParseTarget(options);
  Session& session = context.session;
  session.OpenAll();
  const Sensor from = ReadSensor(session, options.from);
  const std::string& source = from.name;
  const Configuration& config = from.config;
  const std::vector<int> targets = Targets(single, options.from, session.Count());
  for (int target : targets) session.Select(target);  // every target exists

  Json results = Json::array();
  std::string failures;
  const std::vector<RecordKind> records(kWriteOrder.begin(), kWriteOrder.end());
  if (!context.out.IsJson()) {
    context.out.Line("Key sequences to be written from " + source + ":");
    for (const std::string& line : KeySequenceLines(config)) context.out.Line(line);
  }
  for (int target : targets) {
    const std::string sensor = session.Describe(target);
    Json result = {{"index", target}};
    try {
      const Sensor to = ReadSensor(session, target);
      result = SensorJson(to.info);
      const Configuration& before = to.config;
      StoreRecords(config, records, sensor);
      if (!options.dryRun) {
        WriteConfiguration(records, sensor);
        if (options.verify)
          VerifyWrite(ExpectedAfterWrite(config, before, records), records, sensor);
      }
      result["changes"] = ChangesJson(before, config);
      result["written"] = !options.dryRun;
      result["verified"] = !options.dryRun && options.verify;
      if (!context.out.IsJson()) {
        const std::vector<std::string> changes = ChangeLines(before, config, to.info.firmware);
        context.out.Line(changes.empty() ? "No value changes on " + sensor + "."
                                         : "Changes on " + sensor + ":");
        for (const std::string& line : changes) context.out.Line(line);
        std::string done = options.dryRun ? "Dry run: nothing was written to "
                                          : "Wrote the configuration of " + source + " to ";
        done.append(sensor).append(!options.dryRun && options.verify ? " and read it back." : ".");
        context.out.Line(done);
      }
    } catch (const CliError& error) {
      // The other targets still get their copy.
      result["written"] = false;
      result["error"] = error.what();
      failures += (failures.empty() ? "" : "\n") + std::string(error.what());
    }
    results.push_back(result);
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
