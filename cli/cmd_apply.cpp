// apply FILE: brings sensors to a template file and leaves them alone when
// they already match it. Each sensor is compared field by field with the file
// (read into its cache through the library's reader and record checks), only
// the records that differ are written, and the sensor is read back to check
// that it kept them. A file the library refuses writes nothing at all.
#include <kv7700/device_info.h>
#include <kv7700/kv7700.h>
#include <kv7700/sensor_facts.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "command.h"
#include "config_text.h"
#include "output.h"
#include "progress.h"
#include "template_input.h"
#include "verify.h"

namespace kv::cli {

namespace {

struct ApplyOptions {
  std::string file;
  bool all = false;
  std::string path;
  bool dryRun = false;
};

// What the file asks of one sensor.
struct Plan {
  Configuration current;              // as read from the sensor
  Configuration expected;             // as the sensor will hold it
  std::vector<RecordKind> records;    // those that differ, in write order
  std::vector<std::string> adjusted;  // file values the sensor keeps otherwise
};

std::vector<RecordKind> EveryRecord() {
  return {kWriteOrder.begin(), kWriteOrder.end()};
}

std::string Quoted(const std::string& file) {
  return "'" + file + "'";
}

// Loads the file into the current sensor's cache; throws when the library
// refuses a record, naming each one (nothing has been written then).
Configuration LoadTemplate(const std::string& file, const std::string& sensor) {
  if (!ReadDevCfgFmFile(file.c_str())) {
    throw Failure("ReadDevCfgFmFile could not read " + Quoted(file) + " for " + sensor +
                  ". Nothing was written.");
  }
  const DirtyRecords stored = GetDirtyRecords();
  const std::pair<RecordKind, bool> outcome[] = {{RecordKind::WalkAway, stored.walkAway},
                                                 {RecordKind::WalkUp, stored.walkUp},
                                                 {RecordKind::Sonar, stored.sonar},
                                                 {RecordKind::Idle, stored.idle}};
  std::string message;
  for (const auto& [record, ok] : outcome) {
    if (ok) continue;
    message += std::string(SetOperationName(record)) + " refused the " + RecordName(record) +
               " of " + Quoted(file) + ": a value is outside its allowed range (" +
               LimitsOf(record) + ").\n";
  }
  if (!message.empty()) {
    throw Failure(message + "Nothing was written to " + sensor +
                  ". Correct the file and apply it again.");
  }
  return CachedConfiguration(sensor);
}

Plan MakePlan(const Configuration& current, const Configuration& loaded, std::uint16_t firmware) {
  Plan plan;
  plan.current = current;
  // Read-only words belong to each sensor, not to a site's file.
  Configuration wanted = loaded;
  for (const Field& field : AllFields()) {
    if (field.access != FieldAccess::Settable) SetValue(&wanted, field, Value(current, field));
  }
  plan.expected = ExpectedAfterWrite(wanted, current, EveryRecord());
  for (const Field& field : AllFields()) {
    if (!Compared(field)) {
      SetValue(&plan.expected, field, Value(current, field));
    } else if (Value(wanted, field) != Value(plan.expected, field)) {
      const std::string note = ValueNote(field, plan.expected, firmware);
      plan.adjusted.push_back(std::string(field.name) + " = " +
                              std::to_string(Value(wanted, field)) + " is kept by the sensor as " +
                              std::to_string(Value(plan.expected, field)) +
                              (note.empty() ? "" : " " + note));
    }
  }
  for (RecordKind record : kWriteOrder) {
    if (!ComparedDifferences(current, plan.expected, {record}).empty()) {
      plan.records.push_back(record);
    }
  }
  return plan;
}

// The sensor's records are read again before the write: loading the file
// stored all four in the cache, and only the differing ones may be sent.
// `written` names the records once the sensor has acknowledged them.
void WritePlan(const Plan& plan, const std::string& sensor, Json* written) {
  int ok = 0;
  {
    ProgressScope progress("Reading " + sensor, 2 * kConfigReadExchanges);
    ok = ReadDevCfg();
  }
  if (!ok) throw DeviceFailure("ReadDevCfg", sensor, GetDevError());
  StoreRecords(plan.expected, plan.records, sensor);
  WriteConfiguration(plan.records, sensor);
  *written = RecordListJson(plan.records);
  VerifyWrite(plan.expected, plan.records, sensor);
}

class Applier {
 public:
  Applier(Context& context, const ApplyOptions& options)
      : context_(context), options_(options), out_(context.out) {}

  // Applies the file to one sensor; a failure is recorded and the next
  // sensor still gets its turn.
  void Apply(int index) {
    SensorRun& sensors = context_.sensors;
    Json result = {{"index", index}};
    Json written = Json::array();  // even when the read-back then fails
    try {
      const Sensor sensor = ReadSensor(sensors, index);
      result = {{"sensor", SensorJson(sensor.info)}};
      const Configuration loaded = LoadTemplate(options_.file, sensor.name);
      const Plan plan = MakePlan(sensor.config, loaded, sensor.info.firmware);
      const bool change = !plan.records.empty();
      Report(sensor, plan);
      if (change && !options_.dryRun) WritePlan(plan, sensor.name, &written);
      result["status"] = change ? "changed" : "unchanged";
      result["changes"] = ChangesJson(plan.current, plan.expected);
      result["records"] = RecordListJson(plan.records);
      result["written"] = written;
      result["verified"] = !written.empty();
      result["adjusted"] = plan.adjusted;
      if (change) result["key_sequences"] = KeySequencesJson(plan.expected);
      out_.Line(Outcome(sensor.name, plan, !written.empty()));
      changed_ = changed_ || change;
    } catch (const CliError& error) {
      result["status"] = "failed";
      result["written"] = written;
      result["error"] = error.what();
      failures_ += (failures_.empty() ? "" : "\n") + std::string(error.what());
      out_.Line(sensors.Describe(index) + ": failed");
    }
    results_.push_back(result);
  }

  void Finish() {
    if (out_.IsJson()) {
      out_.Document({{"file", options_.file},
                     {"dry_run", options_.dryRun},
                     {"changed", changed_},
                     {"failed", !failures_.empty()},
                     {"sensors", results_}});
    }
    if (!failures_.empty()) throw Failure(failures_);
  }

 private:
  // The changes, and the key sequences a change makes the sensor type, before
  // anything is written.
  void Report(const Sensor& sensor, const Plan& plan) {
    for (const std::string& note : plan.adjusted) {
      Progress::Instance().PrintLine("kv7700ctl: note: " + Quoted(options_.file) + ": " + note);
    }
    if (plan.records.empty()) return;
    out_.Line("Changes from " + Quoted(options_.file) + " on " + sensor.name + ":");
    for (const std::string& line : ChangeLines(plan.current, plan.expected, sensor.info.firmware)) {
      out_.Line(line);
    }
    out_.Line("Key sequences the sensor will type:");
    for (const std::string& line : KeySequenceLines(plan.expected)) out_.Line(line);
  }

  std::string Outcome(const std::string& sensor, const Plan& plan, bool written) const {
    if (plan.records.empty()) return sensor + ": unchanged";
    if (!written) {
      return sensor + ": would change " + RecordList(plan.records) +
             " (dry run: nothing was written)";
    }
    return sensor + ": changed (wrote " + RecordList(plan.records) + "; the read-back matches)";
  }

  Context& context_;
  const ApplyOptions& options_;
  const Output& out_;
  Json results_ = Json::array();
  std::string failures_;
  bool changed_ = false;
};

// The sensor whose interface path is `path`.
int IndexOfPath(SensorRun& sensors, const std::string& path) {
  for (int i = 0; i < sensors.Count(); ++i) {
    if (GetDevicePath(i) == path) return i;
  }
  throw Failure("no sensor is open at " + path +
                ": it was pulled out, is not a KV7700, or may not be opened by this user. Run "
                "'kv7700ctl list' to see the sensors.");
}

void RunApply(Context& context, const ApplyOptions& options) {
  if (options.all && !options.path.empty()) {
    throw UsageError("--all and --path both choose sensors; give one of them.");
  }
  CheckReadable(options.file);
  SensorRun& sensors = context.sensors;
  sensors.OpenAll();
  std::vector<int> targets;
  if (options.all) {
    for (int i = 0; i < sensors.Count(); ++i) targets.push_back(i);
  } else if (!options.path.empty()) {
    targets.push_back(IndexOfPath(sensors, options.path));
  } else {
    sensors.Select(context.options.device);  // a usage error when there is none
    targets.push_back(context.options.device);
  }
  Applier applier(context, options);
  for (int index : targets) applier.Apply(index);
  applier.Finish();
}

}  // namespace

void AddApplyCommand(CLI::App& app, Command* chosen) {
  auto options = std::make_shared<ApplyOptions>();
  CLI::App* apply = app.add_subcommand(
      "apply",
      "Bring sensors to a template file: write only the records that differ and read them back "
      "(prints the key sequences before writing)");
  apply->add_option("FILE", options->file, "Template file")->required();
  apply->add_flag("--all", options->all, "Apply to every sensor present");
  apply->add_option("--path", options->path, "Apply to the sensor at this interface path")
      ->type_name("PATH");
  apply->add_flag("--dry-run", options->dryRun, "Show what would change and write nothing");
  apply->callback([chosen, options] {
    *chosen = [options](Context& context) { RunApply(context, *options); };
  });
}

}  // namespace kv::cli
