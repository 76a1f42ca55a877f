// kv7700ctl: the KV7700 sensor library at a prompt and in scripts.
#include <cstdio>
#include <exception>
#include <optional>
#include <string>

#include "command_line.h"
#include "console.h"
#include "environment.h"
#include "output.h"

namespace kv::cli {
namespace {

void PrintError(const std::string& command, const std::string& message) {
  std::fprintf(stderr, "kv7700ctl: %s%s\n", command.empty() ? "" : (command + ": ").c_str(),
               message.c_str());
}

int Run(int argc, char** argv) {
  PrepareConsole();
  CommandLine line;
  if (const std::optional<int> done = ParseCommandLine(line, argc, argv)) return *done;
  const GlobalOptions& options = line.options;
  Command& chosen = line.chosen;

  const std::string command = ChosenCommandName(line);
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
