// Interface paths on Windows: a sensor's begins with "\\?\HID#Vid_18c8&Pid_2bfa"
// (or vendor 04d8), and the platform spells the same path in upper or lower
// case depending on who reports it, so paths compare without regard to case.
#pragma once

#include <string>

namespace kv::hid::windows_backend {

// The prefix of a sensor's path for one vendor id, as the platform formats it.
std::string SensorPathPrefix(unsigned vendorId, unsigned productId);
// True when the path begins with the prefix of either sensor vendor.
bool PathNamesSensor(const std::string& path);
// Equal without regard to (ASCII) case.
bool PathsEqual(const std::string& a, const std::string& b);

}  // namespace kv::hid::windows_backend
