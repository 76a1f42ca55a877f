// The interface path a device-change record names (the DEV_BROADCAST_HDR that
// WM_DEVICECHANGE carries in its lParam), for the library's notification
// window and the configurator's sheet alike. Declared without the platform's
// headers: the record is passed on as it came.
#pragma once

#include <string>

namespace kv::hid {

// The path of a device-interface record in either character set, read only
// within the record's own size (dbch_size), so a name without its terminator
// stops at the record's end. "" for no record, a record of another kind, or
// one too short to hold a header or a name. A UTF-16 name comes back in the
// system's ANSI code page, as the device list names the same interface.
std::string DeviceInterfacePath(const void* record);

}  // namespace kv::hid
