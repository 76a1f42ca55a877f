// apply FILE: brings sensors to a template file and leaves them alone when
// they already match it. Each sensor is compared field by field with the file
// (read through the library's reader and record checks), only the records
// that differ are written, and the sensor is read back to check that it kept
// them; several sensors are written together and read back together. A file
// the library refuses writes nothing at all. --check writes nothing and exits
// 3 when a sensor differs from the file, for compliance checks.
#include <kv7700/device_info.h>
#include <kv7700/hid.h>
#include <kv7700/kv7700.h>
#include <kv7700/sensor_facts.h>
#include <kv7700/template_file.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "command.h"
#include "config_text.h"
#include "held_turns.h"
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
  bool check = false;  // as --dry-run, and a sensor that differs is exit 3
};

// What the file asks of one sensor.
struct Plan {
  RecordSet current;                  // as read from the sensor
  RecordSet expected;                 // as the sensor will hold it
  std::vector<RecordKind> records;    // those that differ, in the order a load stores them
  std::vector<std::string> adjusted;  // file values the sensor keeps otherwise
};

std::vector<RecordKind> EveryRecord() {
  return {kLoadStoreOrder.begin(), kLoadStoreOrder.end()};
}

std::string Quoted(const std::string& file) {
  return "'" + file + "'";
}

// What the file asks of the current sensor, through the library's reader and
// record checks, leaving its cache alone; throws when the library refuses a
// record, naming each one (nothing has been written then).
RecordSet PreviewTemplate(const std::string& file, const std::string& sensor) {
  RecordSet loaded;
  RecordFlags stored;
  if (!PreviewDevCfgFmFile(file.c_str(), &loaded, &stored)) {
    throw Failure("ReadDevCfgFmFile could not read " + Quoted(file) + " for " + sensor +
                  ". Nothing was written.");
  }
  std::string message;
  for (RecordKind record : kLoadStoreOrder) {
    if (stored.Has(record)) continue;
    message += std::string(SetOperationName(record)) + " refused the " + RecordName(record) +
               " of " + Quoted(file) + ": a value is outside its allowed range (" +
               LimitsOf(record) + ").\n";
  }
  if (!message.empty()) {
    throw Failure(message + "Nothing was written to " + sensor +
                  ". Correct the file and apply it again.");
  }
  return loaded;
}

Plan MakePlan(const RecordSet& current, const RecordSet& loaded, std::uint16_t firmware) {
  Plan plan;
  plan.current = current;
  // Read-only words belong to each sensor, not to a site's file.
  RecordSet wanted = loaded;
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
  for (RecordKind record : kLoadStoreOrder) {
    if (!ComparedDifferences(current, plan.expected, {record}).empty()) {
      plan.records.push_back(record);
    }
  }
  return plan;
}

// One sensor of the run and how applying the file to it went.
struct Target {
  int index = 0;
  std::string name;
  Json result;
  Plan plan;
  std::string error;             // why it failed; empty when it did not
  Json written = Json::array();  // the records it acknowledged, even when
                                 // the read-back then fails
  bool fileFailed = false;       // the failure is the file's, not the sensor's
};

// Plans every sensor first, then writes those that differ together and
// reads them back together, so any number of sensors take the time of one.
class Applier {
 public:
  Applier(Context& context, const ApplyOptions& options)
      : context_(context), options_(options), out_(context.out) {}

  // Compares one sensor with the file and reports what would change; a
  // failure is recorded and the next sensor still gets its turn.
  void Prepare(int index) {
    SensorRun& sensors = context_.sensors;
    Target target{index, sensors.Describe(index), {{"index", index}}, {}, {}};
    try {
      const Sensor sensor = ReadSensor(sensors, index);
      target.result = {{"sensor", SensorJson(sensor.info)}};
      target.fileFailed = true;
      const RecordSet loaded = PreviewTemplate(options_.file, sensor.name);
      target.fileFailed = false;
      target.plan = MakePlan(sensor.config, loaded, sensor.info.firmware);
      Report(sensor, target.plan);
    } catch (const CliError& error) {
      target.error = error.what();
    }
    targets_.push_back(std::move(target));
  }

  // A sensor that could not be read again (not free in time, say).
  void Failed(int index, std::uint32_t status) {
    targets_.push_back({index, context_.sensors.Describe(index), {{"index", index}}, {}, {}});
    targets_.back().error = DeviceFailure("ReadDevCfg", targets_.back().name, status).what();
  }

  // Stores each differing sensor's records among `indices`, writes them all
  // at once and reads every written sensor back at once.
  void WriteChanges(const std::vector<int>& indices) {
    std::vector<int> ready;
    for (Target& target : targets_) {
      if (std::find(indices.begin(), indices.end(), target.index) == indices.end()) continue;
      if (!target.error.empty() || target.plan.records.empty()) continue;
      try {
        context_.sensors.Select(target.index);
        StoreRecords(target.plan.expected, target.plan.records, target.name);
        ready.push_back(target.index);
      } catch (const CliError& error) {
        target.error = error.what();
      }
    }
    if (ready.empty()) return;
    const std::vector<std::uint32_t> errors = WriteConfigurations(ready);
    std::vector<WrittenSensor> written;
    std::vector<Target*> checked;
    for (std::size_t n = 0; n < ready.size(); ++n) {
      Target& target = Of(ready[n]);
      if (errors[n] != 0) {
        target.error = DeviceFailure("WriteDevCfg", target.name, errors[n]).what();
        continue;
      }
      target.written = RecordListJson(target.plan.records);
      written.push_back({target.index, target.name, target.plan.expected, target.plan.records});
      checked.push_back(&target);
    }
    const std::vector<std::string> wrong = VerifyWrites(written);
    for (std::size_t n = 0; n < checked.size(); ++n) checked[n]->error = wrong[n];
  }

  void Finish() {
    std::stable_sort(targets_.begin(), targets_.end(),
                     [](const Target& a, const Target& b) { return a.index < b.index; });
    Json results = Json::array();
    std::string failures;
    bool changed = false;
    for (Target& target : targets_) {
      Json& result = target.result;
      if (!target.error.empty()) {
        result["status"] = "failed";
        result["written"] = target.written;
        result["error"] = target.error;
        // A management agent tells a site file to mend from a sensor to look at.
        result["file_error"] = target.fileFailed;
        failures += (failures.empty() ? "" : "\n") + target.error;
        out_.Line(target.name + ": failed");
        results.push_back(result);
        continue;
      }
      const Plan& plan = target.plan;
      const bool change = !plan.records.empty();
      result["status"] = change ? "changed" : "unchanged";
      result["changes"] = ChangesJson(plan.current, plan.expected);
      result["records"] = RecordListJson(plan.records);
      result["written"] = target.written;
      result["verified"] = !target.written.empty();
      result["adjusted"] = plan.adjusted;
      if (change) result["key_sequences"] = KeySequencesJson(plan.expected);
      out_.Line(Outcome(target.name, plan, !target.written.empty()));
      changed = changed || change;
      results.push_back(result);
    }
    if (out_.IsJson()) {
      out_.Document({{"file", options_.file},
                     {"dry_run", options_.dryRun || options_.check},
                     {"check", options_.check},
                     {"changed", changed},
                     {"failed", !failures.empty()},
                     {"sensors", results}});
    }
    if (!failures.empty()) throw Failure(failures);
    if (options_.check && changed) {
      throw CliError(kExitDiffers, "a sensor does not hold the settings of " +
                                       Quoted(options_.file) + ". Nothing was written.");
    }
  }

 private:
  Target& Of(int index) {
    return *std::find_if(targets_.begin(), targets_.end(),
                         [&](const Target& t) { return t.index == index; });
  }

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
             (options_.check ? " (check: nothing was written)" : " (dry run: nothing was written)");
    }
    return sensor + ": changed (wrote " + RecordList(plan.records) + "; the read-back matches)";
  }

  Context& context_;
  const ApplyOptions& options_;
  const Output& out_;
  std::vector<Target> targets_;
};

// The sensor whose interface path is `path`.
int IndexOfPath(SensorRun& sensors, const std::string& path) {
  for (int i = 0; i < sensors.Count(); ++i) {
    // The platform's own comparison: Windows spells one path in either case.
    if (hid::GetPlatform().PathsEqual(GetDevicePath(static_cast<SensorIndex>(i)), path)) return i;
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
  // The plug-in service names one sensor: only that one is opened and read,
  // so a reading on another sensor never delays it.
  if (!options.path.empty()) {
    sensors.OpenPath(options.path);
  } else {
    sensors.OpenAll();
  }
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
  // Each sensor is read again, compared, written and read back in one hold,
  // so a change another program made since the first read is never undone.
  InTurns(
      targets,
      [&](const std::vector<int>& held) {
        const std::vector<std::uint32_t> errors = sensors.Reread(held);
        for (std::size_t n = 0; n < held.size(); ++n) {
          if (errors[n] != 0) {
            applier.Failed(held[n], errors[n]);
          } else {
            applier.Prepare(held[n]);
          }
        }
        if (!options.dryRun && !options.check) applier.WriteChanges(held);
      },
      [&](int index, std::uint32_t status) { applier.Failed(index, kGroupRead | status); });
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
  apply->add_flag("--check", options->check,
                  "Write nothing; exit 0 when every sensor holds the file's settings, 3 when one "
                  "differs");
  apply->callback([chosen, options] {
    *chosen = [options](Context& context) { RunApply(context, *options); };
  });
}

}  // namespace kv::cli
