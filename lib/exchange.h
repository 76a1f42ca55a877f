// The request/response patterns every sensor conversation is built from.
// Each returns 1 or 0; on failure DevError holds the code of the feature
// exchange that failed (unchanged when no HID layer is loaded), and the
// caller ORs its own group bit into it.
#pragma once

#include <kv7700/sensor_facts.h>

#include <cstdint>

#include "wire_codec.h"

namespace kv {

// Sends the request [0, command, 0 ...] alone.
int SendRequest(std::uint8_t command);
// The sensor's time to prepare its answer to a request.
void WaitForAnswers();
// Fetches the answer's data bytes.
int FetchAnswer(wire::Data* answer);
// Sends the request, waits, fetches the answer's data bytes.
int ReadExchange(std::uint8_t command, wire::Data* answer);
// Sends the request, waits, sends the data report. Nothing is fetched back.
int WriteExchange(std::uint8_t command, const wire::Data& data);

}  // namespace kv
