// The program's one option: --simulate[=FILE], repeatable, for emulated
// sensors in place of the hardware (as in the command-line tool).
#pragma once

#include <string>
#include <vector>

namespace kv::ui {

struct Options {
  bool simulate = false;
  // One entry per --simulate: its FILE, or "" for a sensor not kept.
  std::vector<std::string> simulateFiles;
};

// Reads the arguments after the program's name (a toolkit has taken its own). False
// with `error` saying what is wrong.
bool ParseProgramOptions(const std::vector<std::string>& arguments, Options* options,
                         std::string* error);

// What the program accepts, for a wrong command line.
extern const char kUsage[];

}  // namespace kv::ui
