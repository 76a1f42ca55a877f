#include "program_options.h"

namespace kv::ui {

const char kUsage[] =
    "Usage: kv7700-config [--simulate[=FILE]]...\n"
    "\n"
    "Configures the KV7700 sensors plugged into this computer.\n"
    "\n"
    "  --simulate[=FILE]  use an emulated sensor instead of the hardware; FILE keeps\n"
    "                     its configuration between runs (made when missing).\n"
    "                     Repeat for more sensors.\n";

bool ParseProgramOptions(const std::vector<std::string>& arguments, Options* options,
                         std::string* error) {
  static const std::string kSimulate = "--simulate";
  Options parsed;
  for (const std::string& argument : arguments) {
    if (argument == kSimulate) {
      parsed.simulate = true;
      parsed.simulateFiles.emplace_back();
    } else if (argument.rfind(kSimulate + "=", 0) == 0) {
      const std::string file = argument.substr(kSimulate.size() + 1);
      if (file.empty()) {
        *error = "--simulate= needs a file name after the equals sign.";
        return false;
      }
      parsed.simulate = true;
      parsed.simulateFiles.push_back(file);
    } else {
      *error = "Unknown argument '" + argument + "'.";
      return false;
    }
  }
  *options = std::move(parsed);
  return true;
}

}  // namespace kv::ui
