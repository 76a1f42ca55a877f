#include "command.h"

#include <CLI/CLI.hpp>

namespace kv::cli {

void SensorCommand::Execute(Context& context) {
  CheckArguments();
  SensorRun& sensors = context.sensors;
  sensors.OpenAll();
  const int device = context.options.device;
  if (needs_ == Needs::RecordSet) {
    Run(context, ReadSensor(sensors, device));
    return;
  }
  sensors.Select(device);
  const Sensor sensor{device, sensors.Info(device), sensors.Describe(device), {}};
  Run(context, sensor);
}

CLI::App* AddSensorCommand(CLI::App& app, Command* chosen, const std::string& name,
                           const std::string& help, const std::shared_ptr<SensorCommand>& command) {
  CLI::App* sub = app.add_subcommand(name, help);
  sub->callback(
      [chosen, command] { *chosen = [command](Context& context) { command->Execute(context); }; });
  return sub;
}

}  // namespace kv::cli
