// A model of the KV7700 firmware, on the firmware's own terms: it keeps its
// configuration as the bytes it sends and receives, never as the library's
// records, and shares no conversion or encoding code with the library.
//
// What the firmware does with each report (report byte 1 decides):
// - 0x80 and above is a command; below 0x80 it is a data report.
// - 0x80..0x85 prepare the answer of that block of the working memory, and
//   name the block that a data report following them stages. 0x8A prepares
//   the version answer, 0x8F the range answer.
// - An answer is ready 250 ms after its request. Until then a fetch gets
//   whatever the answer buffer held before (the previous answer).
// - A data report stages the eight bytes it carries, as received, for the
//   block of the command just before it; one that comes sooner than 250 ms
//   after that command, or with no block named, is dropped.
// - 0x90 commits the staged blocks named in its mask (byte 2, bit n = block
//   0x80 + n) to the working memory and ends the write: whatever else was
//   staged is discarded. Without a commit nothing changes.
// - 0xA0 loads the factory defaults, 0xD0 the user defaults, 0xE0 saves the
//   working memory as the user defaults. The memory is rewritten at once, but
//   the firmware then stays busy for 2000 ms: every report until then is
//   accepted and ignored, so a request gets no answer prepared and its fetch
//   returns the stale one the buffer held before.
// - A command report carries nothing after its command byte (the commit: after
//   its mask); one with a non-zero byte there is refused, as is any report
//   whose report id is not 0.
// - 0xB1 halts the key sends, 0xB0 resumes them. Other commands are ignored.
#pragma once

#include <kv7700/hid.h>
#include <kv7700/sensor_firmware.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace kv::emu {

using hid::Report;

// One memory of the sensor: six blocks of eight bytes, the data bytes of the
// reports for commands 0x80 to 0x85 in that order.
using Block = std::array<std::uint8_t, 8>;
using Memory = std::array<Block, 6>;

// The sensor's factory defaults.
Memory FactoryMemory();

// How long the firmware takes to prepare an answer or accept a data report.
inline constexpr std::uint64_t kAnswerDelayMs = 250;
// How long the firmware is busy after a memory command (0xA0, 0xD0, 0xE0).
inline constexpr std::uint64_t kMemoryBusyMs = 2000;
// Echo ticks per inch of the sensor's distance measurement.
inline constexpr double kTicksPerInch = 3.472222;

enum class Direction { Set, Get };

struct TraceEntry {
  Direction direction;
  Report bytes;        // as sent, or as answered (zeros when refused)
  bool ok;             // false when the sensor refused or had vanished
  std::uint64_t atMs;  // clock time of the exchange
};

enum class Fault {
  Refuse,  // this one exchange fails, the sensor stays
  Vanish,  // this exchange and every later one fail, as when unplugged
  Forget,  // this exchange and every later one are acknowledged, but no
           // commit stores anything: a read-back shows the old configuration
};

// Every public operation is safe to call from any thread. The references
// returned by Working(), UserDefaults(), FactoryDefaults() and Trace() are
// not: hold Mutex() while using them when another thread may run exchanges.
class EmulatedSensor final : public FeatureReports {
 public:
  explicit EmulatedSensor(std::uint16_t firmwareVersion = 0x0144);

  // --- Configuration, as the sensor keeps it. ---
  Memory& Working() { return working_; }
  Memory& UserDefaults() { return user_; }
  Memory& FactoryDefaults() { return factory_; }
  std::uint16_t FirmwareVersion() const;
  void SetFirmwareVersion(std::uint16_t version);
  // The device word of the version answer (0x8A D1, D2); unused by hosts.
  void SetDeviceWord(std::uint16_t word);
  // The four 4-bit values of the version answer (0x8A D5..D8, low nibbles).
  void SetVersionNibbles(const std::array<std::uint8_t, 4>& nibbles);

  // Copies of the three memories, and their replacement, under the lock.
  struct Memories {
    Memory working;
    Memory user;
    Memory factory;
  };
  Memories CopyMemories() const;
  void SetMemories(const Memories& memories);

  // --- The simulated target in front of the sensor. ---
  // Distance in inches. In range when between the configured minimum and
  // maximum distances. A target moving at `inchesPerSecond` (by the clock);
  // it stops at 0.
  void SetTarget(double inches, double inchesPerSecond = 0);
  double TargetInches();  // where the target is now
  // Extra status bits 1 and 2 of the range answer.
  void SetRangeStatusBits(std::uint8_t bits);

  // 0xB1 halts key sends, 0xB0 resumes them.
  bool KeySendsHalted() const;

  // --- Fault injection. Counts start at 1 with the next exchange. ---
  // The n-th set (or get) from now fails in the given way.
  void FailAt(Direction direction, int n, Fault fault = Fault::Refuse);
  // The n-th exchange of either direction from now fails.
  void FailAtExchange(int n, Fault fault = Fault::Refuse);
  void Vanish();
  bool Vanished() const;

  // --- Trace of every report in both directions. ---
  const std::vector<TraceEntry>& Trace() const { return trace_; }
  std::vector<TraceEntry> TraceCopy() const;
  void ClearTrace();
  // Keeps only the newest `entries` entries (0, the default: keeps all), for
  // long demo runs.
  void SetTraceLimit(std::size_t entries);
  // Observer called after each traced exchange (used by --trace), outside the
  // sensor's lock, on the thread of the exchange.
  void SetTraceObserver(std::function<void(const TraceEntry&)> observer);

  // --- The USB side, called by the emulated bus. ---
  bool OnSetFeature(const Report& report) override;
  bool OnGetFeature(Report* report) override;

  // Serialises concurrent use (a demo moving the target while the library
  // reads). Every public operation takes it; callers hold it to use the
  // references above safely.
  std::recursive_mutex& Mutex() { return mutex_; }

 private:
  // Both called with the lock held.
  bool InjectFault(Direction direction);
  TraceEntry Record(Direction direction, const Report& bytes, bool ok);
  void Notify(const TraceEntry& entry);

  void RunCommand(std::uint8_t command, const Report& report);
  void PrepareAnswer(std::uint8_t command);
  void DeliverReadyAnswer();
  void StageData(const Report& report);
  void Commit(std::uint8_t mask);
  Report RangeAnswer();
  double TargetInchesLocked() const;

  mutable std::recursive_mutex mutex_;
  Memory working_;
  Memory user_;
  Memory factory_;
  std::array<Block, 6> staged_{};
  std::uint8_t stagedMask_ = 0;
  std::uint16_t firmware_;
  std::uint16_t deviceWord_ = 0x7700;
  std::array<std::uint8_t, 4> versionNibbles_{};
  std::uint8_t statusBits_ = 0;
  double targetInches_ = 36;
  double targetSpeed_ = 0;
  std::uint64_t targetSetAtMs_ = 0;
  bool halted_ = false;
  bool vanished_ = false;
  bool forgetsWrites_ = false;     // a Forget fault has struck
  std::uint64_t busyUntilMs_ = 0;  // end of the work after a memory command

  int lastCommand_ = -1;  // the block a data report would stage
  std::uint64_t lastCommandAtMs_ = 0;
  Report answer_{};  // answer being prepared
  bool answerPending_ = false;
  std::uint64_t answerReadyAtMs_ = 0;
  Report lastAnswer_{};  // the answer buffer: what a fetch gets

  struct PlannedFault {
    int setsLeft;  // -1: not counting sets
    int getsLeft;  // -1: not counting gets
    int anyLeft;   // -1: not counting exchanges
    Fault fault;
  };
  std::vector<PlannedFault> faults_;
  std::vector<TraceEntry> trace_;
  std::size_t traceLimit_ = 0;
  std::function<void(const TraceEntry&)> observer_;
};

}  // namespace kv::emu
