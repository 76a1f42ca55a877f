// A SensorSet's bus and sensors themselves, for tests that need more than the
// set offers (a sensor's memories, trace or firmware version).
#pragma once

#include <kv7700/emulation.h>

#include <cstddef>

#include "hid/emulated/emulated_bus.h"
#include "hid/emulated/emulated_sensor.h"

namespace kv::emu {

class SensorSetProbe {
 public:
  static EmulatedBus& Bus(SensorSet& set) { return set.Bus(); }
  static EmulatedSensor& Sensor(SensorSet& set, std::size_t index) { return set.Sensor(index); }
};

}  // namespace kv::emu
