// What a WM_DEVICECHANGE record names: the interface path of a device
// interface's arrival or removal, read only within the record's own size.
#pragma once

#include <string>
#include <vector>

#include "win32.h"

namespace kv::ui::win32 {

// The path, or "" for a record of another kind or one too short to hold a
// name; the library's reader, in either character set.
std::string InterfacePathOf(const DEV_BROADCAST_HDR& header);

// A record as the system sends a window for the interface at `path` of the
// keyboard interface class, in UTF-16 (a DEV_BROADCAST_DEVICEINTERFACE_W in
// DWORD storage, so it is aligned as the system's records are).
std::vector<DWORD> DeviceInterfaceRecord(const std::string& path);

}  // namespace kv::ui::win32
