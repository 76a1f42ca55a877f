// set NAME=VALUE ...: changes fields through the library's Set operations of
// the records they belong to, then one write.
#include <CLI/CLI.hpp>
#include <memory>

#include "assignments.h"
#include "config_text.h"
#include "context.h"
#include "sensor_access.h"

namespace kv::cli {

namespace {

struct SetOptions {
  std::vector<std::string> assignments;
  bool dryRun = false;
};

void RunSet(Context& context, const SetOptions& options) {
  // Every name and value is checked before anything is sent.
  const std::vector<Assignment> assignments = ParseAssignments(options.assignments);
  const std::vector<RecordKind> touched = TouchedRecords(assignments);

  Session& session = context.session;
  session.OpenAll();
  const int device = context.options.device;
  session.SelectRead(device);
  const SensorInfo info = session.Info(device);
  session.Select(device);
  const std::string sensor = session.Describe(device);

  const Configuration before = CachedConfiguration(sensor);
  Configuration after = before;
  for (const Assignment& assignment : assignments) {
    SetValue(&after, *assignment.field, assignment.value);
  }
  StoreRecords(after, touched, sensor);
  if (!options.dryRun) WriteConfiguration(touched, sensor);

  if (context.out.IsJson()) {
    context.out.Document({{"sensor", SensorJson(info)},
                          {"dry_run", options.dryRun},
                          {"changes", ChangesJson(before, after)},
                          {"key_sequences", KeySequencesJson(after)},
                          {"written", options.dryRun ? Json::array() : RecordListJson(touched)}});
    return;
  }
  const std::vector<std::string> changes = ChangeLines(before, after, info.firmware);
  context.out.Line(changes.empty() ? "No value changes on " + sensor + "."
                                   : "Changes on " + sensor + ":");
  for (const std::string& line : changes) context.out.Line(line);
  if (options.dryRun) {
    context.out.Line("Dry run: nothing was written (" + RecordList(touched) + " would be).");
  } else {
    context.out.Line("Wrote " + RecordList(touched) + " to " + sensor + ".");
  }
}

}  // namespace

void AddSetCommand(CLI::App& app, Command* chosen) {
  auto options = std::make_shared<SetOptions>();
  CLI::App* set = app.add_subcommand(
      "set", "Change fields, named as in the template file (case-blind): NAME=VALUE ...");
  set->add_option("assignments", options->assignments, "Fields and their new values")
      ->type_name("NAME=VALUE")
      ->required();
  set->add_flag("--dry-run", options->dryRun, "Show what would change and write nothing");
  set->callback(
      [chosen, options] { *chosen = [options](Context& context) { RunSet(context, *options); }; });
}

}  // namespace kv::cli
