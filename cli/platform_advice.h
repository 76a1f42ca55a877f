// The sentences of the tool's advice that name the platform's own tools and
// files: udev and lsusb on Linux (platform_advice_posix.cpp), the Device
// Manager on Windows (platform_advice_windows.cpp).
#pragma once

#include <string>

namespace kv::cli {

// How the user can see that a sensor is attached, as a clause: "lsusb lists it
// as 18c8:2bfa or 04d8:2bfa".
std::string WhereTheSensorIsListed();
// What to do about a sensor that is present but may not be opened (several
// lines, no trailing newline).
std::string AccessAdvice();
// The same in one short clause, for a note: "install the udev rule ...".
std::string AccessAdviceInBrief();

}  // namespace kv::cli
