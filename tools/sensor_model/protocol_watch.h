// What a sensor sees when two hosts talk to it at once. Its answers do not
// say which request they answer, so every request must be followed by the
// fetch of its own answer (or, for a block request, by the data report it
// names) before the next request, and no answer may be fetched before the
// sensor had its 250 ms to prepare it; after a memory command it takes
// nothing for 2000 ms. Counts each way that breaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kv::sensor_model {

class ProtocolWatch {
 public:
  // A feature report the host sent: the nine bytes, report id first.
  void Sent(const std::uint8_t* report, std::size_t size, std::uint64_t nowMs);
  // The host fetched the answer.
  void Fetched(std::uint64_t nowMs);

  // Requests another request came before their answer was fetched.
  int Overtaken() const { return overtaken_; }
  // Fetches with no request of their own, or before the answer was ready.
  int FetchedTooEarly() const { return early_; }
  // Reports sent while the sensor was still busy with a memory command.
  int WhileBusy() const { return busy_; }
  // "protocol violations: 3 (2 requests overtaken, 1 answer fetched too
  // early, 0 requests while busy)".
  std::string Summary() const;

 private:
  bool awaiting_ = false;  // a request's answer not yet fetched
  std::uint64_t readyAtMs_ = 0;
  std::uint64_t busyUntilMs_ = 0;  // a memory command's work
  int overtaken_ = 0;
  int early_ = 0;
  int busy_ = 0;
};

}  // namespace kv::sensor_model
