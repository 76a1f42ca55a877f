// Feeds arbitrary command lines to kv7700ctl's parsing and argument checks.
// The input is a list of words separated by NUL bytes; words of the form
// KV7700_...=VALUE go to the environment (the emulation's variables), the
// rest form argv. Nothing is plugged in, so a command that passes its checks
// stops at "no sensor". Checks: nothing crashes or throws anything but the
// tool's own errors, every error has a message and a documented exit status.
#include <fcntl.h>
#include <kv7700/clock.h>
#include <kv7700/kv7700.h>
#include <kv7700/native_hid.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "output.h"
#include "simulation.h"

namespace {

using namespace kv::cli;

constexpr const char* kVariables[] = {"KV7700_VIRTUAL_TIME",    "KV7700_SIMULATE_FIRMWARE",
                                      "KV7700_SIMULATE_TARGET", "KV7700_SIMULATE_FAULT",
                                      "KV7700_SIMULATE_DENIED", "KV7700_SIMULATE_PLUG"};
constexpr std::size_t kMaxWords = 64;

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "command line: %s\n", what);
    std::abort();
  }
}

bool IsVariable(const std::string& word) {
  for (const char* name : kVariables) {
    const std::size_t length = std::strlen(name);
    if (word.size() > length && word.compare(0, length, name) == 0 && word[length] == '=') {
      return true;
    }
  }
  return false;
}

void CheckError(const CliError& error) {
  Require(error.Code() == kExitFailure || error.Code() == kExitUsage, "an undocumented status");
  Require(std::strlen(error.what()) > 0, "an error without a message");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static kv::VirtualClock clock;  // no wait takes real time
  kv::SetClock(&clock);
  kv::hid::InstallNativePlatform();  // the platform without hardware: nothing plugged in
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words{"kv7700ctl"};
  for (const char* name : kVariables) unsetenv(name);
  std::string word;
  for (std::size_t i = 0; i <= size && words.size() < kMaxWords; ++i) {
    if (i < size && data[i] != 0) {
      word += static_cast<char>(data[i]);
      continue;
    }
    if (IsVariable(word)) {
      const std::size_t equals = word.find('=');
      setenv(word.substr(0, equals).c_str(), word.c_str() + equals + 1, 1);
    } else {
      words.push_back(word);
    }
    word.clear();
  }
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  CommandLine line;
  const std::optional<int> done =
      ParseCommandLine(line, static_cast<int>(words.size()), argv.data());
  if (done) {
    Require(*done == kExitOk || *done == kExitUsage, "parsing ended with an undocumented status");
    return 0;
  }
  Require(static_cast<bool>(line.chosen), "parsing succeeded without choosing a command");
  try {
    if (line.options.simulated) SimulationSettings::FromEnvironment();
  } catch (const CliError& error) {
    CheckError(error);
    Require(error.Code() == kExitUsage, "a malformed variable that is no usage error");
  }
  try {
    Context context{line.options, Output(line.options.json), {}, nullptr};
    line.chosen(context);
  } catch (const CliError& error) {
    CheckError(error);
  }
  kv::CloseAllDevices();
  return 0;
}
