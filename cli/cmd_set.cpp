// set NAME=VALUE ...: changes fields through the library's Set operations of
// the records they belong to, then one write.
#include <CLI/CLI.hpp>
#include <memory>

#include "assignments.h"
#include "command.h"
#include "config_text.h"

namespace kv::cli {

namespace {

class SetCommand final : public SensorCommand {
 public:
  std::vector<std::string> arguments;
  bool dryRun = false;

 private:
  // Every name and value is checked before anything is sent.
  void CheckArguments() override { assignments_ = ParseAssignments(arguments); }

  void Run(Context& context, const Sensor& sensor) override {
    const std::vector<RecordKind> touched = TouchedRecords(assignments_);
    const Configuration& before = sensor.config;
    Configuration after = before;
    for (const Assignment& assignment : assignments_) {
      SetValue(&after, *assignment.field, assignment.value);
    }
    StoreRecords(after, touched, sensor.name);
    if (!dryRun) WriteConfiguration(touched, sensor.name);

    if (context.out.IsJson()) {
      context.out.Document({{"sensor", SensorJson(sensor.info)},
                            {"dry_run", dryRun},
                            {"changes", ChangesJson(before, after)},
                            {"key_sequences", KeySequencesJson(after)},
                            {"written", dryRun ? Json::array() : RecordListJson(touched)}});
      return;
    }
    const std::vector<std::string> changes = ChangeLines(before, after, sensor.info.firmware);
    context.out.Line(changes.empty() ? "No value changes on " + sensor.name + "."
                                     : "Changes on " + sensor.name + ":");
    for (const std::string& line : changes) context.out.Line(line);
    if (dryRun) {
      context.out.Line("Dry run: nothing was written (" + RecordList(touched) + " would be).");
    } else {
      context.out.Line("Wrote " + RecordList(touched) + " to " + sensor.name + ".");
    }
  }

  std::vector<Assignment> assignments_;
};

}  // namespace

void AddSetCommand(CLI::App& app, Command* chosen) {
  auto command = std::make_shared<SetCommand>();
  CLI::App* set = AddSensorCommand(
      app, chosen, "set",
      "Change fields, named as in the template file (case-blind): NAME=VALUE ...", command);
  set->add_option("assignments", command->arguments, "Fields and their new values")
      ->type_name("NAME=VALUE")
      ->required();
  set->add_flag("--dry-run", command->dryRun, "Show what would change and write nothing");
}

}  // namespace kv::cli
