// What to do about a sensor that is present but this user may not open
// (GetAccessDeniedPaths): the facts the tool's and the window's advice are
// both built from.
#pragma once

#include <string>
#include <vector>

namespace kv {

// The udev rule that gives the user at the seat access to a sensor's node,
// as udev names it and where the source tree keeps it.
inline constexpr const char* kAccessRuleFileName = "70-kv7700.rules";
inline constexpr const char* kAccessRuleSource = "res/70-kv7700.rules";

// The commands, one per line, that install the rule by hand and make udev
// apply it to sensors already plugged in; only the second when the rule is
// installed already. None on Windows, which has no rule to install.
inline std::vector<std::string> AccessCommands(bool ruleInstalled) {
#if defined(_WIN32)
  (void)ruleInstalled;
  return {};
#else
  std::vector<std::string> commands;
  if (!ruleInstalled) {
    commands.push_back(std::string("sudo install -m 644 ") + kAccessRuleSource +
                       " /etc/udev/rules.d/");
  }
  commands.emplace_back("sudo udevadm control --reload-rules && sudo udevadm trigger");
  return commands;
#endif
}

// Windows opens a sensor without read or write access, which every user
// may: a refusal means another program holds it exclusively. What to do, as
// a sentence without its full stop.
inline constexpr const char* kExclusiveHolderAdvice =
    "Another program may hold the sensor exclusively: close other configuration tools, then "
    "unplug the sensor and plug it back in";

}  // namespace kv
