// kv7700ctl: the KV7700 sensor library at a prompt and in scripts.
#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>

#include "app_version.h"
#include "context.h"
#include "environment.h"
#include "errors.h"

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

int Run(int argc, char** argv) {
  // A reader that quits early (| head) must not kill the tool before it has
  // kept its emulated sensors' files; the streaming commands stop instead.
  std::signal(SIGPIPE, SIG_IGN);
  CLI::App app{kDescription, "kv7700ctl"};
  app.footer(kFooter);
  app.fallthrough();
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("kv7700ctl ") + kv::ui::kAppVersion);

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
    PrintError(CommandName(app), std::string(e.what()) + "\nRun 'kv7700ctl --help' for usage.");
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
  return kv::cli::Run(argc, argv);
}
