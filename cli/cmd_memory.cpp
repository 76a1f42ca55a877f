// reset, restore-defaults, save-defaults: the sensor's memory commands, each
// followed by the library reading the configuration back.
#include <kv7700/kv7700.h>

#include <CLI/CLI.hpp>

#include "command.h"
#include "config_text.h"
#include "output.h"
#include "progress.h"

namespace kv::cli {

namespace {

struct MemoryOperation {
  const char* name;
  const char* help;
  const char* call;  // the library operation, for messages
  int (*run)();
  bool needsUserDefaults;
  const char* done;
};

constexpr MemoryOperation kOperations[] = {
    {"reset", "Return every parameter to factory defaults", "FactoryResetDev", FactoryResetDev,
     false, "was reset to factory defaults"},
    {"restore-defaults", "Load the user defaults stored in the sensor (firmware 4.00 and later)",
     "RestoreUserDefaultsDev", RestoreUserDefaultsDev, true, "loaded its user defaults"},
    {"save-defaults",
     "Store the current configuration as the sensor's user defaults (firmware 4.00 and later)",
     "SaveUserDefaultsDev", SaveUserDefaultsDev, true,
     "stored its current configuration as its user defaults"},
};

class MemoryCommand final : public SensorCommand {
 public:
  explicit MemoryCommand(const MemoryOperation& operation) : operation_(operation) {}

 private:
  void Run(Context& context, const Sensor& sensor) override {
    if (operation_.needsUserDefaults && sensor.info.firmware < kFwUserDefaults) {
      throw Failure(sensor.name + " has firmware " + FirmwareText(sensor.info.firmware) +
                    ", which keeps no user defaults: this command needs firmware 4.00 or later. "
                    "Nothing was sent.");
    }
    const RecordSet& before = sensor.config;
    int ok = 0;
    {
      ProgressScope progress(std::string(operation_.call) + " on " + sensor.name);
      ok = operation_.run();
    }
    if (!ok) throw DeviceFailure(operation_.call, sensor.name, GetDevError());
    const RecordSet after = CachedConfiguration(sensor.name);

    if (context.out.IsJson()) {
      Json document = {{"sensor", SensorJson(context.sensors.Info(sensor.index))},
                       {"command", operation_.name},
                       {"changes", ChangesJson(before, after)}};
      for (RecordKind record : kRecordKinds) {
        document[RecordName(record)] = RecordJson(record, after);
      }
      context.out.Document(document);
      return;
    }
    context.out.Line("Sensor " + std::to_string(sensor.index) + " " + operation_.done + ".");
    const std::vector<std::string> changes = ChangeLines(before, after, sensor.info.firmware);
    context.out.Line(changes.empty() ? "No value changed." : "Changes:");
    for (const std::string& line : changes) context.out.Line(line);
  }

  const MemoryOperation& operation_;
};

}  // namespace

void AddMemoryCommands(CLI::App& app, Command* chosen) {
  for (const MemoryOperation& operation : kOperations) {
    AddSensorCommand(app, chosen, operation.name, operation.help,
                     std::make_shared<MemoryCommand>(operation));
  }
}

}  // namespace kv::cli
