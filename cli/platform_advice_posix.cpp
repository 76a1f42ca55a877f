#include "platform_advice.h"

namespace kv::cli {

std::string WhereTheSensorIsListed() {
  return "lsusb lists it as 18c8:2bfa or 04d8:2bfa";
}

std::string AccessAdvice() {
  return "Install the udev rule that gives the user at the seat access, then unplug the sensor "
         "and plug it back in:\n"
         "  sudo install -m 644 res/70-kv7700.rules /etc/udev/rules.d/\n"
         "  sudo udevadm control --reload-rules && sudo udevadm trigger\n"
         "(res/70-kv7700.rules is in the source tree; the build's install step puts it in "
         "lib/udev/rules.d under the install prefix. See \"Access to the sensor without root\" "
         "in the README.)";
}

std::string AccessAdviceInBrief() {
  return "install the udev rule res/70-kv7700.rules to use it";
}

std::string HidLibraryName() {
  return "hidapi";
}

std::string HidLibraryAdvice() {
  return "Reinstall the HID library (Debian package libhidapi-hidraw0) and try again.";
}

}  // namespace kv::cli
