// reset, restore-defaults, save-defaults: the sensor's memory commands, each
// followed by the library reading the configuration back.
#include <kv7700/kv7700.h>

#include <CLI/CLI.hpp>

#include "config_text.h"
#include "context.h"
#include "errors.h"
#include "progress.h"
#include "sensor_access.h"

namespace kv::cli {

namespace {

// A memory command waits 2 s, then reads the seven reports back; a reset of
// firmware 4.0x writes the idle record and reads again.
constexpr int kMemoryCommandReports = 1 + 14;

struct MemoryCommand {
  const char* name;
  const char* help;
  const char* operation;
  int (*run)();
  bool needsUserDefaults;
  const char* done;
};

constexpr MemoryCommand kCommands[] = {
    {"reset", "Return every parameter to factory defaults", "FactoryResetDev", FactoryResetDev,
     false, "was reset to factory defaults"},
    {"restore-defaults", "Load the user defaults stored in the sensor (firmware 4.00 and later)",
     "RestoreUserDefaultsDev", RestoreUserDefaultsDev, true, "loaded its user defaults"},
    {"save-defaults",
     "Store the current configuration as the sensor's user defaults (firmware 4.00 and later)",
     "SaveUserDefaultsDev", SaveUserDefaultsDev, true,
     "stored its current configuration as its user defaults"},
};

void RunMemoryCommand(Context& context, const MemoryCommand& command) {
  Session& session = context.session;
  session.OpenAll();
  const int device = context.options.device;
  session.SelectRead(device);
  const SensorInfo info = session.Info(device);
  session.Select(device);
  const std::string sensor = session.Describe(device);
  if (command.needsUserDefaults && info.firmware < kFwUserDefaults) {
    throw Failure(sensor + " has firmware " + FirmwareText(info.firmware) +
                  ", which keeps no user defaults: this command needs firmware 4.00 or later. "
                  "Nothing was sent.");
  }
  const Configuration before = CachedConfiguration(sensor);
  int ok = 0;
  {
    ProgressScope progress(std::string(command.operation) + " on " + sensor, kMemoryCommandReports);
    ok = command.run();
  }
  if (!ok) throw DeviceFailure(command.operation, sensor, GetDevError());
  const Configuration after = CachedConfiguration(sensor);

  if (context.out.IsJson()) {
    Json document = {{"sensor", SensorJson(session.Info(device))},
                     {"command", command.name},
                     {"changes", ChangesJson(before, after)}};
    for (RecordKind record : kAllRecords) document[RecordName(record)] = RecordJson(record, after);
    context.out.Document(document);
    return;
  }
  context.out.Line("Sensor " + std::to_string(device) + " " + command.done + ".");
  const std::vector<std::string> changes = ChangeLines(before, after, info.firmware);
  context.out.Line(changes.empty() ? "No value changed." : "Changes:");
  for (const std::string& line : changes) context.out.Line(line);
}

}  // namespace

void AddMemoryCommands(CLI::App& app, Command* chosen) {
  for (const MemoryCommand& command : kCommands) {
    CLI::App* sub = app.add_subcommand(command.name, command.help);
    const MemoryCommand* which = &command;
    sub->callback([chosen, which] {
      *chosen = [which](Context& context) { RunMemoryCommand(context, *which); };
    });
  }
}

}  // namespace kv::cli
