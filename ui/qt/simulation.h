// Emulated sensors for --simulate: one per use of the option, each kept in
// its FILE between runs when one is given (created factory-fresh when
// missing), on an emulated bus that stands in for the hardware. The
// simulation panel plugs them in and out and moves their targets. Emulated
// sensors keep real timing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hid/emulated/emulated_bus.h"
#include "hid/emulated/sensor_file.h"
#include "hid/hotplug_monitor.h"

namespace kv::ui::qt {

class Simulation {
 public:
  struct Sensor {
    std::string file;  // "" when the sensor is not kept
    std::shared_ptr<emu::EmulatedSensor> sensor;
    std::uint16_t vendorId = emu::kSensorVendor;
    std::uint16_t releaseNumber = 0;
    std::string path;  // where it is plugged in; "" while pulled out
  };

  Simulation() = default;
  Simulation(const Simulation&) = delete;
  Simulation& operator=(const Simulation&) = delete;

  // Plugs in one sensor per entry of `files` ("" for a fresh one, else the
  // sensor kept in that file). False with `error` saying which file is wrong
  // and why; nothing is plugged in then.
  bool Load(const std::vector<std::string>& files, std::string* error);
  // Writes every kept sensor back to its file. False with `error` naming
  // every file that could not be written.
  bool Save(std::string* error) const;

  emu::EmulatedBus& Bus() { return bus_; }
  const std::vector<Sensor>& Sensors() const { return sensors_; }

  // A fresh sensor, plugged in; returns its index.
  std::size_t AddSensor();
  void PlugIn(std::size_t index);
  void PullOut(std::size_t index);
  bool PluggedIn(std::size_t index) const;
  // Places the target `inches` in front of sensor `index`.
  void MoveTarget(std::size_t index, double inches);
  double TargetInches(std::size_t index) const;

  // A monitor that reports this bus's plugs and pulls.
  std::unique_ptr<hid::HotplugMonitor> MakeMonitor(int* error);

 private:
  void Plug(Sensor& sensor);

  emu::EmulatedBus bus_;
  std::vector<Sensor> sensors_;
};

}  // namespace kv::ui::qt
