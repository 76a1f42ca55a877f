// Holding sensors for one conversation. The sensor's answers do not say
// which request they answer, so every exchange sequence that must not be
// split (a read, a write with its commit, a memory command with its wait and
// read-back, a range reading, halt or resume) holds its sensors for its
// length, and a program that finds a sensor held waits its turn.
#pragma once

#include <kv7700/sensor_facts.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "lib_state.h"

namespace kv {

class SensorHold {
 public:
  // Holds slot `index`.
  explicit SensorHold(std::int16_t index);
  // Holds those of several slots that are free now, waiting for none: a
  // program never keeps one sensor while it waits for another. The caller
  // then takes each slot it missed on its own.
  SensorHold(const std::int16_t* indices, std::int16_t count);
  ~SensorHold();
  SensorHold(const SensorHold&) = delete;
  SensorHold& operator=(const SensorHold&) = delete;

  // False when slot `index` could not be had in time; its Holder then says
  // who kept it, where that can be known.
  bool Holds(std::int16_t index) const;

 private:
  void Take(std::vector<std::int16_t> indices, bool wait);

  std::vector<std::pair<std::int16_t, hid::Handle>> held_;
  std::vector<std::int16_t> missed_;
};

}  // namespace kv
