// The hot-plug monitor of an emulated bus: every plug and pull becomes an
// event on a descriptor, exactly as the native monitor reports the real bus.
#pragma once

#include <kv7700/hot_plug.h>

#include <memory>

#include "hid/emulated/emulated_bus.h"

namespace kv::emu {

// Takes the bus's plug listener for its lifetime and gives it back empty when
// destroyed. The bus must outlive the monitor. Null when the descriptor
// cannot be made, with the error number in *error.
std::unique_ptr<hid::HotPlugMonitor> MonitorBus(EmulatedBus& bus, int* error);

}  // namespace kv::emu
