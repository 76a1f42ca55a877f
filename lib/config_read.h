// Reading the configuration of several sensors in step (private to the
// library: OpenAllDevices, ReadDevCfg and ReadDevCfgOfSensors use it).
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "lib_state.h"
#include "wire_codec.h"

namespace kv {

struct ReadOutcome {
  // Per slot, the exchange (0 to 6) at which its read failed; 7 when it
  // succeeded or was not read.
  std::array<std::uint8_t, kMaxDevices> failedStep{};
};

// Reads the listed sensors (each open and listed once) together. Each slot
// ends as its own ReadDevCfg would have left it (records, clamps, FwVersion,
// DevError); the current sensor and the library-wide reserved words are left
// alone.
ReadOutcome ReadInStep(std::span<const std::int16_t> listed);
// Sensors first .. first+count-1.
ReadOutcome ReadInStep(std::int16_t first, std::int16_t count);

// Sets LastReserved2WU and LastReserved1I as reading the listed sensors one
// after another would have.
void KeepReservedWordsOf(std::span<const std::int16_t> indices, const ReadOutcome& outcome);
// Sensors first .. last.
void KeepReservedWordsOf(std::int16_t first, std::int16_t last, const ReadOutcome& outcome);

// The read's exchanges 0 to 5 fetch the records in their order (sonar, two
// of walk-away, two of walk-up, idle): the command of one, and how its answer
// lands in a slot (clamped as every read clamps).
std::uint8_t ReadStepCommand(std::size_t step);
void DecodeReadStep(std::size_t step, const wire::Data& answer, DeviceSlot& slot);

// Whether `indices` names open sensors only, each once.
bool IsListOfOpenSensors(const std::int16_t* indices, std::int16_t count);

}  // namespace kv
