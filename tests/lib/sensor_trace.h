// Helpers for tests that check what crossed the seam to an emulated sensor,
// and a flat view of a slot's 48 cached words.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "hid/emulated/emulated_sensor.h"
#include "lib_state.h"

namespace kv::testing {

inline hid::Report RequestBytes(std::uint8_t command, std::uint8_t byte2 = 0) {
  return hid::Report{0, command, byte2, 0, 0, 0, 0, 0, 0};
}

// Every report the library sent, refused ones included, in order.
inline std::vector<emu::TraceEntry> Sets(const emu::EmulatedSensor& sensor) {
  std::vector<emu::TraceEntry> sets;
  for (const emu::TraceEntry& entry : sensor.TraceCopy()) {
    if (entry.direction == emu::Direction::Set) sets.push_back(entry);
  }
  return sets;
}

// Byte 1 of every report sent: the commands and first data bytes in order.
inline std::vector<std::uint8_t> SentBytes1(const emu::EmulatedSensor& sensor) {
  std::vector<std::uint8_t> bytes;
  for (const emu::TraceEntry& entry : Sets(sensor)) bytes.push_back(entry.bytes[1]);
  return bytes;
}

// The commands requested, in order (a command is 0x80 or above).
inline std::vector<std::uint8_t> Commands(const emu::EmulatedSensor& sensor) {
  std::vector<std::uint8_t> commands;
  for (const emu::TraceEntry& entry : Sets(sensor)) {
    if (entry.bytes[1] >= 0x80) commands.push_back(entry.bytes[1]);
  }
  return commands;
}

// The data report sent right after the request for `command`, if any.
inline std::optional<hid::Report> DataAfter(const emu::EmulatedSensor& sensor,
                                            std::uint8_t command) {
  const std::vector<emu::TraceEntry> sets = Sets(sensor);
  for (std::size_t i = 0; i + 1 < sets.size(); ++i) {
    if (sets[i].bytes == RequestBytes(command)) return sets[i + 1].bytes;
  }
  return std::nullopt;
}

// The 48 cached words of a slot in template order: sonar 0..7, walk-away
// 8..23, walk-up 24..39, idle 40..47.
inline std::uint16_t& CachedWord(DeviceSlot& slot, std::size_t n) {
  if (n < 8) return Word(slot.Records.Sonar, n);
  if (n < 24) return Word(slot.Records.WalkAway, n - 8);
  if (n < 40) return Word(slot.Records.WalkUp, n - 24);
  return Word(slot.Records.Idle, n - 40);
}

}  // namespace kv::testing
