// A model of the KV7700 firmware, on the firmware's own terms: it keeps its
// configuration as the bytes it sends and receives, never as the library's
// records, and shares no conversion or encoding code with the library.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "hid/hid_layer.h"

namespace kv::emu {

using hid::Report;

// One memory of the sensor: six blocks of eight bytes, the data bytes of the
// reports for commands 0x80 to 0x85 in that order.
using Block = std::array<std::uint8_t, 8>;
using Memory = std::array<Block, 6>;

// The sensor's factory defaults.
Memory FactoryMemory();

enum class Direction { Set, Get };

struct TraceEntry {
  Direction direction;
  Report bytes;       // as sent, or as answered (zeros when refused)
  bool ok;            // false when the sensor refused or had vanished
  std::uint64_t atMs; // clock time of the exchange
};

enum class Fault {
  Refuse,  // this one exchange fails, the sensor stays
  Vanish,  // this exchange and every later one fail, as when unplugged
};

class EmulatedSensor {
 public:
  explicit EmulatedSensor(std::uint16_t firmwareVersion = 0x0144);

  // --- Configuration, as the sensor keeps it. ---
  Memory& Working() { return working_; }
  Memory& UserDefaults() { return user_; }
  Memory& FactoryDefaults() { return factory_; }
  std::uint16_t FirmwareVersion() const { return firmware_; }
  void SetFirmwareVersion(std::uint16_t version) { firmware_ = version; }
  // The device word of the version answer (0x8A D1, D2); unused by hosts.
  void SetDeviceWord(std::uint16_t word) { deviceWord_ = word; }

  // --- The simulated target in front of the sensor. ---
  // Distance in inches. In range when between the configured minimum and
  // maximum distances. A target moving at `inchesPerSecond` (by the clock).
  void SetTarget(double inches, double inchesPerSecond = 0);
  double TargetInches();  // where the target is now
  // Extra status bits 1 and 2 of the range answer.
  void SetRangeStatusBits(std::uint8_t bits) { statusBits_ = bits & 0x06; }

  // 0xB1 halts key sends, 0xB0 resumes them.
  bool KeySendsHalted() const { return halted_; }

  // --- Fault injection. Counts start at 1 with the next exchange. ---
  // The n-th set (or get) from now fails in the given way.
  void FailAt(Direction direction, int n, Fault fault = Fault::Refuse);
  // The n-th exchange of either direction from now fails.
  void FailAtExchange(int n, Fault fault = Fault::Refuse);
  void Vanish() { vanished_ = true; }
  bool Vanished() const { return vanished_; }

  // --- Trace of every report in both directions. ---
  const std::vector<TraceEntry>& Trace() const { return trace_; }
  void ClearTrace() { trace_.clear(); }
  // Observer called after each traced exchange (used by --trace).
  void SetTraceObserver(std::function<void(const TraceEntry&)> observer);

  // --- The USB side, called by the emulated bus. ---
  bool OnSetFeature(const Report& report);
  bool OnGetFeature(Report* report);

  // Serialises concurrent use (a demo moving the target while the library
  // reads). Held by the bus around each exchange.
  std::recursive_mutex& Mutex() { return mutex_; }

 private:
  bool InjectFault(Direction direction);
  void Record(Direction direction, const Report& bytes, bool ok);
  void RunCommand(std::uint8_t command);
  void PrepareAnswer(std::uint8_t command);
  void StageData(const Report& report);
  void Commit(std::uint8_t mask);

  std::recursive_mutex mutex_;
  Memory working_;
  Memory user_;
  Memory factory_;
  std::array<Block, 6> staged_{};
  std::uint8_t stagedMask_ = 0;
  std::uint16_t firmware_;
  std::uint16_t deviceWord_ = 0x7700;
  std::uint8_t statusBits_ = 0;
  double targetInches_ = 36;
  double targetSpeed_ = 0;
  std::uint64_t targetSetAtMs_ = 0;
  bool halted_ = false;
  bool vanished_ = false;

  int lastCommand_ = -1;            // the command whose data report may follow
  Report answer_{};                 // answer being prepared
  Report lastAnswer_{};             // what a too-early fetch gets (stale)
  std::uint64_t answerReadyAtMs_ = 0;

  struct PlannedFault {
    int setsLeft;   // -1: not counting sets
    int getsLeft;   // -1: not counting gets
    int anyLeft;    // -1: not counting exchanges
    Fault fault;
  };
  std::vector<PlannedFault> faults_;
  std::vector<TraceEntry> trace_;
  std::function<void(const TraceEntry&)> observer_;
};

}  // namespace kv::emu
