// save FILE, load FILE: the template file of the current sensor.
#include <kv7700/discovery.h>
#include <kv7700/kv7700.h>
#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "config_text.h"
#include "context.h"
#include "errors.h"
#include "sensor_access.h"

namespace kv::cli {

namespace {

struct FileOptions {
  std::string file;
  bool dryRun = false;
};

// A file to load must exist, be a regular file and be readable: checked
// before any sensor is touched.
void CheckReadable(const std::string& file) {
  struct stat info;
  if (stat(file.c_str(), &info) != 0) {
    throw UsageError("cannot read '" + file + "': " + std::strerror(errno) + ".");
  }
  if (S_ISDIR(info.st_mode)) throw UsageError("cannot read '" + file + "': it is a folder.");
  std::FILE* stream = std::fopen(file.c_str(), "r");
  if (!stream) throw UsageError("cannot read '" + file + "': " + std::strerror(errno) + ".");
  std::fclose(stream);
}

std::string LimitsOf(RecordKind record) {
  std::string text;
  for (const Field& field : AllFields()) {
    if (field.record != record || field.check.code == 0) continue;
    text += (text.empty() ? "" : ", ") + std::string(field.name) + " " +
            std::to_string(field.check.low) + " to " + std::to_string(field.check.high);
  }
  return text;
}

void RunSave(Context& context, const FileOptions& options) {
  Session& session = context.session;
  session.OpenAll();
  const int device = context.options.device;
  session.SelectRead(device);
  const SensorInfo info = session.Info(device);
  session.Select(device);
  errno = 0;
  if (!WriteDevCfgToFile(options.file.c_str())) {
    const int error = errno;
    throw Failure("WriteDevCfgToFile could not write '" + options.file + "'" +
                  (error ? std::string(": ") + std::strerror(error) : std::string()) +
                  ". Check that its folder exists and is writable and that the disk is not "
                  "full; an existing file there is left as it was.");
  }
  if (context.out.IsJson()) {
    context.out.Document({{"sensor", SensorJson(info)}, {"file", options.file}});
  } else {
    context.out.Line("Saved the configuration of " + session.Describe(device) + " to " +
                     options.file + ".");
  }
}

void RunLoad(Context& context, const FileOptions& options) {
  CheckReadable(options.file);
  Session& session = context.session;
  session.OpenAll();
  const int device = context.options.device;
  session.SelectRead(device);
  const SensorInfo info = session.Info(device);
  session.Select(device);
  const std::string sensor = session.Describe(device);

  const Configuration before = CachedConfiguration(sensor);
  if (!ReadDevCfgFmFile(options.file.c_str())) {
    throw Failure("ReadDevCfgFmFile could not open '" + options.file + "'.");
  }
  // The reader stores each record through its Set operation; a record that
  // fails its check is dropped and stays as the sensor has it.
  const DirtyRecords stored = GetDirtyRecords();
  std::vector<RecordKind> accepted;
  std::vector<RecordKind> refused;
  const std::pair<RecordKind, bool> outcome[] = {{RecordKind::WalkAway, stored.walkAway},
                                                 {RecordKind::WalkUp, stored.walkUp},
                                                 {RecordKind::Sonar, stored.sonar},
                                                 {RecordKind::Idle, stored.idle}};
  for (const auto& [record, ok] : outcome) (ok ? accepted : refused).push_back(record);
  const Configuration after = CachedConfiguration(sensor);

  if (!context.out.IsJson()) {
    const std::vector<std::string> changes = ChangeLines(before, after, info.firmware);
    context.out.Line(changes.empty() ? "'" + options.file + "' changes no value on " + sensor + "."
                                     : "Changes from '" + options.file + "' on " + sensor + ":");
    for (const std::string& line : changes) context.out.Line(line);
    context.out.Line("Key sequences the sensor will type:");
    for (const std::string& line : KeySequenceLines(after)) context.out.Line(line);
  }
  const bool write = !options.dryRun && !accepted.empty();
  if (write) WriteConfiguration(accepted, sensor);

  if (context.out.IsJson()) {
    context.out.Document({{"sensor", SensorJson(info)},
                          {"file", options.file},
                          {"dry_run", options.dryRun},
                          {"changes", ChangesJson(before, after)},
                          {"key_sequences", KeySequencesJson(after)},
                          {"refused", RecordListJson(refused)},
                          {"written", write ? RecordListJson(accepted) : Json::array()}});
  } else if (options.dryRun) {
    context.out.Line("Dry run: nothing was written.");
  } else if (write) {
    context.out.Line("Wrote " + RecordList(accepted) + " to " + sensor + ".");
  }
  if (!refused.empty()) {
    std::string message;
    for (RecordKind record : refused) {
      message += std::string(SetOperationName(record)) + " refused the " + RecordName(record) +
                 " of '" + options.file + "': a value is outside its allowed range (" +
                 LimitsOf(record) + "). " + sensor + " keeps its own " + RecordName(record) + ".\n";
    }
    message += "Correct the file and load it again.";
    throw Failure(message);
  }
}

void AddFileCommand(CLI::App& app, Command* chosen, const char* name, const char* help, bool load) {
  auto options = std::make_shared<FileOptions>();
  CLI::App* command = app.add_subcommand(name, help);
  command->add_option("FILE", options->file, "Template file")->required();
  if (load) {
    command->add_flag("--dry-run", options->dryRun, "Show what would change and write nothing");
  }
  command->callback([chosen, options, load] {
    *chosen = [options, load](Context& context) {
      load ? RunLoad(context, *options) : RunSave(context, *options);
    };
  });
}

}  // namespace

void AddFileCommands(CLI::App& app, Command* chosen) {
  AddFileCommand(app, chosen, "save", "Save the sensor's configuration to a template file", false);
  AddFileCommand(app, chosen, "load",
                 "Load a template file and write it to the sensor (prints the key sequences "
                 "it will type)",
                 true);
}

}  // namespace kv::cli
