#include "exchange.h"

#include <kv7700/clock.h>

#include "lib_state.h"

namespace kv {

int SendRequest(std::uint8_t command) {
  return SetFeature(wire::Request(command));
}

void WaitForAnswers() {
  GetClock().SleepMs(kExchangeWaitMs);
}

int FetchAnswer(wire::Data* answer) {
  hid::Report response{};  // report id 0, the rest filled by the sensor
  if (!GetFeature(&response)) return 0;
  *answer = wire::DataOf(response);
  return 1;
}

int ReadExchange(std::uint8_t command, wire::Data* answer) {
  if (!SendRequest(command)) return 0;
  WaitForAnswers();
  return FetchAnswer(answer);
}

int WriteExchange(std::uint8_t command, const wire::Data& data) {
  if (!SendRequest(command)) return 0;
  GetClock().SleepMs(kExchangeWaitMs);
  return SetFeature(wire::DataReport(data));
}

}  // namespace kv
