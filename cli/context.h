// What every command gets: the global options, the output, the sensors of
// this run and, when emulated, the simulation behind them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "output.h"
#include "session.h"

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
  Session session;
  Simulation* simulation = nullptr;  // null on hardware
};

// The chosen command, set by its subcommand's parse callback.
using Command = std::function<void(Context&)>;

// Each adds one subcommand (or a small group) to the application.
void AddListCommand(CLI::App& app, Command* chosen);
void AddShowCommand(CLI::App& app, Command* chosen);
void AddSetCommand(CLI::App& app, Command* chosen);
void AddFileCommands(CLI::App& app, Command* chosen);  // save, load
void AddCloneCommand(CLI::App& app, Command* chosen);
void AddRangeCommand(CLI::App& app, Command* chosen);
void AddMemoryCommands(CLI::App& app, Command* chosen);   // reset, restore-defaults, save-defaults
void AddKeySendCommands(CLI::App& app, Command* chosen);  // halt, resume
void AddMonitorCommand(CLI::App& app, Command* chosen);

}  // namespace kv::cli
