// Emulated sensors in place of hardware: one per use of --simulate, each kept
// in its FILE between runs when one is given. A few environment variables
// steer the emulation for tests and demos; they have no effect on hardware.
//
//   KV7700_VIRTUAL_TIME=1          waits take no real time (virtual clock)
//   KV7700_SIMULATE_FIRMWARE=0400  firmware of newly made sensors (hex)
//   KV7700_SIMULATE_TARGET=IN[:IN_PER_S]  the target in front of every sensor
//   KV7700_SIMULATE_FAULT=KIND:N[:SENSOR]  sensor SENSOR (default 0) fails at
//                                  its N-th exchange; KIND is refuse or vanish
//   KV7700_SIMULATE_DENIED=1       the sensors are present but not accessible
//   KV7700_SIMULATE_PLUG=plug@MS,other@MS,unplug@MS  hot-plug events for
//                                  monitor, MS after it starts watching
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hid/emulated/emulated_bus.h"
#include "hid/emulated/sensor_file.h"

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
    emu::Fault kind = emu::Fault::Refuse;
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
  ~Simulation();

  emu::EmulatedBus& Bus() { return bus_; }
  const SimulationSettings& Settings() const { return settings_; }

  // Plugs a freshly made sensor in (for the hot-plug script); its path.
  std::string PlugNewSensor();

  // Writes each file-backed sensor's memories back to its file.
  void SaveFiles();

 private:
  struct Entry {
    std::string file;  // "" when not kept
    std::string path;
    std::shared_ptr<emu::EmulatedSensor> sensor;
    std::uint16_t vendorId = 0;
    std::uint16_t release = 0;
  };
  // A factory-fresh sensor, plugged in.
  Entry PlugFresh();
  // The sensor kept in `file` (made factory-fresh and written there when the
  // file does not exist yet), plugged in.
  Entry PlugFromFile(const std::string& file);
  Entry PlugImage(const emu::SensorImage& image, const std::string& file);
  // KV7700_SIMULATE_FIRMWARE for sensors made in this run.
  void ApplyFirmware(emu::SensorImage* image) const;
  SimulationSettings settings_;
  emu::EmulatedBus bus_;
  std::vector<Entry> entries_;
};

}  // namespace kv::cli
