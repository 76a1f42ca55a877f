// Arrival and removal of keyboard-class interfaces, from the device
// notifications a hidden message-only window receives on a thread of its own.
#pragma once

#include <kv7700/hot_plug.h>

#include <optional>

#include "hid/windows/win32.h"
// win32.h first: dbt.h needs its types.
#include <dbt.h>

namespace kv::hid::windows_backend {

// What one WM_DEVICECHANGE message says, when it is an interface's arrival or
// removal; nothing for every other kind of message.
std::optional<HotPlugEvent> DeviceChangeEvent(WPARAM kind, const DEV_BROADCAST_HDR* header);

}  // namespace kv::hid::windows_backend
