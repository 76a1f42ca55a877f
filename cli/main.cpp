// kv7700ctl: the KV7700 sensor library at a prompt and in scripts.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "command.h"
#include "console.h"
#include "environment.h"
#include "output.h"

namespace kv::cli {
namespace {

constexpr const char* kDescription =
    "kv7700ctl: configure KV7700 presence sensors from a prompt or a script.\n"
    "Examples:\n"
    "  kv7700ctl list\n"
    "  kv7700ctl show --json\n"
    "  kv7700ctl set PingRateS=300 MaxDistS=40\n"
    "  kv7700ctl --device 1 load office.txt --dry-run\n"
    "  kv7700ctl --simulate show";

constexpr const char* kFooter =
    "Exit status: 0 success, 1 the sensor or library failed, 2 usage error.";

void PrintError(const std::string& command, const std::string& message) {
  std::fprintf(stderr, "kv7700ctl: %s%s\n", command.empty() ? "" : (command + ": ").c_str(),
               message.c_str());
}

std::string CommandName(const CLI::App& app) {
  const auto chosen = app.get_subcommands();
  return chosen.empty() ? std::string() : chosen.front()->get_name();
}

// The first word on the command line that is neither an option nor the value
// of one: where the command should stand.
std::string CommandWord(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    if (word == "--device") {
      ++i;  // its value
    } else if (word.empty() || word[0] != '-') {
      return word;
    }
  }
  return {};
}

std::vector<std::string> CommandNames(CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
    names.push_back(command->get_name());
  }
  return names;
}

// "'frobnicate' is not a command; the commands are: list, show, ...".
std::string UnknownCommandMessage(const std::vector<std::string>& names, const std::string& word) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
  return "'" + word + "' is not a command; the commands are: " + list +
         ".\nRun 'kv7700ctl --help' for usage.";
}

int Run(int argc, char** argv) {
  PrepareConsole();
  CLI::App app{kDescription, "kv7700ctl"};
  app.footer(kFooter);
  app.fallthrough();
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("kv7700ctl ") + KV_APP_VERSION);

  GlobalOptions options;
  app.add_option("--device", options.device, "Sensor to work on, as numbered by 'list'")
      ->check(CLI::NonNegativeNumber)
      ->type_name("N")
      ->default_val(0);
  app.add_flag("--json", options.json, "Print one JSON document on standard output");
  app.add_flag("--trace", options.trace, "Print every feature report exchanged on standard error");
  app.add_option("--simulate", options.simulate,
                 "Use an emulated sensor instead of hardware, one per use; FILE keeps its "
                 "memories between runs")
      ->expected(0, 1)
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->type_name("[=FILE]");

  Command chosen;
  AddListCommand(app, &chosen);
  AddShowCommand(app, &chosen);
  AddSetCommand(app, &chosen);
  AddFileCommands(app, &chosen);
  AddCloneCommand(app, &chosen);
  AddRangeCommand(app, &chosen);
  AddMemoryCommands(app, &chosen);
  AddKeySendCommands(app, &chosen);
  AddMonitorCommand(app, &chosen);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    const std::string command = CommandName(app);
    const std::string word = CommandWord(argc, argv);
    const std::vector<std::string> names = CommandNames(app);
    if (command.empty() && !word.empty() &&
        std::find(names.begin(), names.end(), word) == names.end()) {
      PrintError("", UnknownCommandMessage(names, word));
    } else {
      PrintError(command, std::string(e.what()) + "\nRun 'kv7700ctl --help' for usage.");
    }
    return kExitUsage;
  }
  options.simulated = app.count("--simulate") > 0;

  const std::string command = CommandName(app);
  try {
    Environment environment(options);
    int code = kExitOk;
    {
      Context context{options, Output(options.json), {}, environment.GetSimulation()};
      try {
        chosen(context);
      } catch (const CliError& e) {
        PrintError(command, e.what());
        code = e.Code();
      }
    }
    environment.Finish();
    return code;
  } catch (const CliError& e) {
    PrintError(command, e.what());
    return e.Code();
  }
}

}  // namespace
}  // namespace kv::cli

int main(int argc, char** argv) {
  // Anything unforeseen is reported as a failure, never an abort that would
  // skip keeping the emulated sensors' files and leave a core behind.
  try {
    return kv::cli::Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kv7700ctl: unexpected failure: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "kv7700ctl: unexpected failure\n");
  }
  return 1;
}
