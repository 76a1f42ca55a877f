// save FILE, load FILE: the template file of the current sensor.
#include <kv7700/device_info.h>
#include <kv7700/held_sensor.h>
#include <kv7700/kv7700.h>
#include <kv7700/last_failure.h>
#include <kv7700/template_file.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "command.h"
#include "config_text.h"
#include "output.h"
#include "template_input.h"
#include "verify.h"

namespace kv::cli {

namespace {

class SaveCommand final : public SensorCommand {
 public:
  std::string file;

 private:
  void Run(Context& context, const Sensor& sensor) override {
    if (!WriteDevCfgToFile(file.c_str())) {
      const LastFailure failure = GetLastFailure();
      throw Failure("WriteDevCfgToFile " + failure.reason + ". " + failure.advice);
    }
    if (context.out.IsJson()) {
      context.out.Document({{"sensor", SensorJson(sensor.info)}, {"file", file}});
    } else {
      context.out.Line("Saved the configuration of " + sensor.name + " to " + file + ".");
    }
  }
};

class LoadCommand final : public SensorCommand {
 public:
  std::string file;
  bool dryRun = false;
  bool verify = false;

 private:
  void CheckArguments() override { CheckReadable(file); }

  void Run(Context& context, const Sensor& sensor) override {
    // Held from the read the changes are shown against to the read-back; a
    // dry run shows them against the first read.
    std::optional<HeldSensors> hold;
    if (!dryRun) {
      hold.emplace();
      if (!hold->Held()) {
        throw DeviceFailure("ReadDevCfg", sensor.name, kGroupRead | kErrSensorInUse);
      }
      if (!ReadDevCfg()) throw DeviceFailure("ReadDevCfg", sensor.name, GetDevError());
    }
    const RecordSet before = dryRun ? sensor.config : CachedConfiguration(sensor.name);
    const TemplateLoad load = LoadDevCfgFmFile(file.c_str());
    if (!load.read) {
      throw Failure("ReadDevCfgFmFile could not open '" + file + "'.");
    }
    // The reader stores each record through its Set operation; a record that
    // fails its check is dropped and stays as the sensor has it.
    std::vector<RecordKind> accepted;
    std::vector<RecordKind> refused;
    for (RecordKind record : kLoadStoreOrder) {
      (load.accepted.Has(record) ? accepted : refused).push_back(record);
    }
    const RecordSet after = CachedConfiguration(sensor.name);

    if (!context.out.IsJson()) {
      const std::vector<std::string> changes = ChangeLines(before, after, sensor.info.firmware);
      context.out.Line(changes.empty() ? "'" + file + "' changes no value on " + sensor.name + "."
                                       : "Changes from '" + file + "' on " + sensor.name + ":");
      for (const std::string& line : changes) context.out.Line(line);
      context.out.Line("Key sequences the sensor will type:");
      for (const std::string& line : KeySequenceLines(after)) context.out.Line(line);
    }
    const bool write = !dryRun && !accepted.empty();
    if (write) {
      WriteConfiguration(sensor.name);
      if (verify) VerifyWrite(ExpectedAfterWrite(after, before, accepted), accepted, sensor.name);
    }

    if (context.out.IsJson()) {
      context.out.Document({{"sensor", SensorJson(sensor.info)},
                            {"file", file},
                            {"dry_run", dryRun},
                            {"changes", ChangesJson(before, after)},
                            {"key_sequences", KeySequencesJson(after)},
                            {"refused", RecordListJson(refused)},
                            {"written", write ? RecordListJson(accepted) : Json::array()},
                            {"verified", write && verify}});
    } else if (dryRun) {
      context.out.Line("Dry run: nothing was written.");
    } else if (write) {
      context.out.Line("Wrote " + RecordList(accepted) + " to " + sensor.name +
                       (verify ? " and read it back." : "."));
    }
    if (!refused.empty()) {
      std::string message;
      for (RecordKind record : refused) {
        message += std::string(SetOperationName(record)) + " refused the " + RecordName(record) +
                   " of '" + file + "': a value is outside its allowed range (" + LimitsOf(record) +
                   "). " + sensor.name + " keeps its own " + RecordName(record) + ".\n";
      }
      message += "Correct the file and load it again.";
      throw Failure(message);
    }
  }
};

}  // namespace

void AddFileCommands(CLI::App& app, Command* chosen) {
  auto save = std::make_shared<SaveCommand>();
  AddSensorCommand(app, chosen, "save", "Save the sensor's configuration to a template file", save)
      ->add_option("FILE", save->file, "Template file")
      ->required();

  auto load = std::make_shared<LoadCommand>();
  CLI::App* loadCommand = AddSensorCommand(
      app, chosen, "load",
      "Load a template file and write it to the sensor (prints the key sequences it will type)",
      load);
  loadCommand->add_option("FILE", load->file, "Template file")->required();
  loadCommand->add_flag("--dry-run", load->dryRun, "Show what would change and write nothing");
  loadCommand->add_flag("--verify", load->verify,
                        "Read the sensor back after writing and fail when it differs");
}

}  // namespace kv::cli
