// The native HID backend of this build (hidapi and udev on Linux, HID.DLL,
// SETUPAPI.DLL and device notifications on Windows, nothing on other
// systems), reachable only by linking it. The library itself never names
// it: a program that talks to real sensors installs it at start.
#pragma once

#include <kv7700/hid.h>
#include <kv7700/hot_plug.h>

#include <memory>

namespace kv::hid {

// The native platform of this build.
Platform& NativePlatform();

// Makes the native platform the one in force (SetPlatform).
inline void InstallNativePlatform() {
  SetPlatform(&NativePlatform());
}

// The native monitor (udev on Linux: hidraw nodes; on Windows the device
// notifications of the keyboard interface class). On a machine without a
// device manager it starts and simply never reports anything. Null when it
// cannot be created, with the error number in *error (when given; errno on
// Linux, GetLastError() on Windows).
std::unique_ptr<HotPlugMonitor> CreateNativeHotPlugMonitor(int* error);

}  // namespace kv::hid
