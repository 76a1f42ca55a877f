// The command line of kv7700ctl: the global options, every command, and what
// parsing the words gives.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>

#include "command.h"

namespace kv::cli {

struct CommandLine {
  CommandLine();
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  CLI::App app;
  GlobalOptions options;
  Command chosen;  // set when parsing chose a command
};

// Parses argv. Nothing when a command was chosen and is to run; otherwise
// the exit status: help and the version are printed (0), and a usage error is
// printed with a hint (2).
std::optional<int> ParseCommandLine(CommandLine& line, int argc, char** argv);

// The name of the chosen command ("set"), or "" before one is chosen.
std::string ChosenCommandName(const CommandLine& line);

}  // namespace kv::cli
