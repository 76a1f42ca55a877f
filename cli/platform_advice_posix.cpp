#include <kv7700/access_advice.h>

#include "platform_advice.h"

namespace kv::cli {

std::string WhereTheSensorIsListed() {
  return "lsusb lists it as 18c8:2bfa or 04d8:2bfa";
}

std::string AccessAdvice() {
  std::string text =
      "Install the udev rule that gives the user at the seat access, then unplug the sensor "
      "and plug it back in:\n";
  for (const std::string& command : AccessCommands(false)) text += "  " + command + "\n";
  return text + "(" + kAccessRuleSource +
         " is in the source tree; the build's install step puts it in lib/udev/rules.d under the "
         "install prefix. See \"Access to the sensor without root\" in the README.)";
}

std::string AccessAdviceInBrief() {
  return std::string("install the udev rule ") + kAccessRuleSource + " to use it";
}

}  // namespace kv::cli
