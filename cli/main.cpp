// kv7700ctl: the KV7700 sensor library at a prompt and in scripts.
#include <kv7700/system_dlls.h>
#include <kv7700/utf16.h>

#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

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

namespace {

// Anything unforeseen is reported as a failure, never an abort that would
// skip keeping the emulated sensors' files and leave a core behind.
int RunGuarded(int argc, char** argv) {
  try {
    return kv::cli::Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kv7700ctl: unexpected failure: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "kv7700ctl: unexpected failure\n");
  }
  return 1;
}

}  // namespace

#ifdef _WIN32
// Windows gives the arguments in any script only as UTF-16; the tool takes
// them, as the library takes file names, as UTF-8.
int wmain(int argc, wchar_t** argv) {
  kv::LoadDllsFromSystemFolderOnly();
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) arguments.push_back(kv::Utf8FromWide(argv[i]));
  std::vector<char*> pointers;
  pointers.reserve(arguments.size() + 1);
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  return RunGuarded(argc, pointers.data());
}
#else
int main(int argc, char** argv) {
  return RunGuarded(argc, argv);
}
#endif
