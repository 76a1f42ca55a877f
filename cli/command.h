// What a command is: the global options, the context every command gets, and
// the base of the commands that work on the sensor of --device.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "output.h"
#include "sensor.h"

namespace CLI {
class App;
}

namespace kv::cli {

class Simulation;

struct GlobalOptions {
  int device = 0;
  bool json = false;
  bool trace = false;
  std::vector<std::string> simulate;  // one entry per --simulate; "" without FILE
  bool simulated = false;
};

struct Context {
  const GlobalOptions& options;
  Output out;
  SensorRun sensors;
  Simulation* simulation = nullptr;  // null on hardware
};

// The chosen command, set by its subcommand's parse callback.
using Command = std::function<void(Context&)>;

// A command on the sensor of --device. Execute checks the command's own
// arguments first (a wrong one touches no sensor), opens every sensor,
// selects the one of --device and, for the commands that need it, makes sure
// its configuration is read; then it runs the command on that sensor.
class SensorCommand {
 public:
  enum class Needs { RecordSet, Selection };

  explicit SensorCommand(Needs needs = Needs::RecordSet) : needs_(needs) {}
  virtual ~SensorCommand() = default;
  SensorCommand(const SensorCommand&) = delete;
  SensorCommand& operator=(const SensorCommand&) = delete;

  void Execute(Context& context);

 protected:
  // Throws a usage error for arguments that cannot work.
  virtual void CheckArguments() {}
  // `sensor.config` is empty for commands that need only the selection.
  virtual void Run(Context& context, const Sensor& sensor) = 0;

 private:
  Needs needs_;
};

// Adds the subcommand `name`, which runs `command` when chosen; returns it so
// the caller can add the command's options.
CLI::App* AddSensorCommand(CLI::App& app, Command* chosen, const std::string& name,
                           const std::string& help, const std::shared_ptr<SensorCommand>& command);

// Each adds one subcommand (or a small group) to the application.
void AddListCommand(CLI::App& app, Command* chosen);
void AddShowCommand(CLI::App& app, Command* chosen);
void AddSetCommand(CLI::App& app, Command* chosen);
void AddFileCommands(CLI::App& app, Command* chosen);  // save, load
void AddCloneCommand(CLI::App& app, Command* chosen);
void AddApplyCommand(CLI::App& app, Command* chosen);
void AddRangeCommand(CLI::App& app, Command* chosen);
void AddMemoryCommands(CLI::App& app, Command* chosen);   // reset, restore-defaults, save-defaults
void AddKeySendCommands(CLI::App& app, Command* chosen);  // halt, resume
void AddMonitorCommand(CLI::App& app, Command* chosen);

}  // namespace kv::cli
