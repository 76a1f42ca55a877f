// Reading the configuration of several sensors in step (private to the
// library: OpenAllDevices and ReadDevCfg use it).
#pragma once

#include <array>
#include <cstdint>

#include "lib_state.h"

namespace kv {

struct ReadOutcome {
  // Per slot, the exchange (0 to 6) at which its read failed; 7 when it
  // succeeded or was not read.
  std::array<std::uint8_t, kMaxDevices> failedStep{};
};

// Reads sensors first .. first+count-1 together. Each slot ends as its own
// ReadDevCfg would have left it (records, clamps, FwVersion, DevError); the
// current sensor and the library-wide reserved words are left alone.
ReadOutcome ReadInStep(std::int16_t first, std::int16_t count);

// Sets LastReserved2WU and LastReserved1I as reading sensors first .. last
// one after another would have.
void KeepReservedWordsOf(std::int16_t first, std::int16_t last, const ReadOutcome& outcome);

}  // namespace kv
