// The request/response patterns every sensor conversation is built from.
// Each returns 1 or 0; on failure DevError holds the code of the feature
// exchange that failed (unchanged when no HID layer is loaded), and the
// caller ORs its own group bit into it.
#pragma once

#include <cstdint>

#include "wire_codec.h"

namespace kv {

// The sensor needs 250 ms to prepare an answer or to take a data report.
inline constexpr std::uint32_t kExchangeWaitMs = 250;
// A memory command (factory, restore or save defaults) rewrites the sensor's
// configuration; it is read back only after 2000 ms.
inline constexpr std::uint32_t kMemoryCommandWaitMs = 2000;

// Sends the request [0, command, 0 ...] alone.
int SendRequest(std::uint8_t command);
// Sends the request, waits, fetches the answer's data bytes.
int ReadExchange(std::uint8_t command, wire::Data* answer);
// Sends the request, waits, sends the data report. Nothing is fetched back.
int WriteExchange(std::uint8_t command, const wire::Data& data);

}  // namespace kv
