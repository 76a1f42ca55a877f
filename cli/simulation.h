// Emulated sensors in place of hardware: one per use of --simulate, each kept
// in its FILE between runs when one is given. A few environment variables
// steer the emulation for tests and demos; they have no effect on hardware.
//
//   KV7700_VIRTUAL_TIME=1          waits take no real time (virtual clock)
//   KV7700_SIMULATE_FIRMWARE=0400  firmware of newly made sensors (hex)
//   KV7700_SIMULATE_TARGET=IN[:IN_PER_S]  the target in front of every sensor
//   KV7700_SIMULATE_FAULT=KIND:N[:SENSOR]  sensor SENSOR (default 0) fails at
//                                  its N-th exchange; KIND is refuse or vanish,
//                                  or forget: from then on writes are
//                                  acknowledged but not stored
//   KV7700_SIMULATE_DENIED=1       the sensors are present but not accessible
//   KV7700_SIMULATE_PLUG=plug@MS,other@MS,unplug@MS  hot-plug events for
//                                  monitor, MS after it starts watching
#pragma once

#include <kv7700/emulation.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv::cli {

struct PlugStep {
  enum class Kind { PlugSensor, PlugOther, Unplug };
  Kind kind;
  std::uint64_t atMs;
};

struct SimulationSettings {
  bool virtualTime = false;
  std::optional<std::uint16_t> firmware;
  std::optional<double> targetInches;
  double targetSpeed = 0;
  struct FaultPlan {
    int sensor = 0;
    int exchange = 1;
    emu::SensorFault kind = emu::SensorFault::Refuse;
  };
  std::vector<FaultPlan> faults;
  bool denied = false;
  std::vector<PlugStep> plugScript;

  // Reads the variables above; a usage error names a malformed one.
  static SimulationSettings FromEnvironment();
};

class Simulation {
 public:
  // `files` holds one entry per --simulate: a file name or "" for none.
  Simulation(const std::vector<std::string>& files, SimulationSettings settings);

  emu::SensorSet& Sensors() { return sensors_; }
  const SimulationSettings& Settings() const { return settings_; }

  // Plugs a freshly made sensor in (for the hot-plug script).
  void PlugNewSensor();

  // Writes each file-backed sensor's memories back to its file.
  void SaveFiles();

 private:
  void PlaceTarget(std::size_t index);

  SimulationSettings settings_;
  emu::SensorSet sensors_;
};

}  // namespace kv::cli
