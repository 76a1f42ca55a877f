#include "simulation.h"

#include "hid/emulated/emulated_monitor.h"

namespace kv::ui::qt {

bool Simulation::Load(const std::vector<std::string>& files, std::string* error) {
  std::vector<Sensor> loaded;
  for (const std::string& file : files) {
    emu::SensorImage image;
    if (!file.empty()) {
      std::string why;
      if (!emu::LoadSensorFile(file, &image, &why)) {
        if (error) {
          *error = "Cannot use the emulated sensor file " + file + ": " + why;
        }
        return false;
      }
    }
    Sensor sensor;
    sensor.file = file;
    sensor.sensor = emu::MakeSensor(image);
    sensor.vendorId = image.vendorId;
    sensor.releaseNumber = image.releaseNumber;
    // A long run must not grow the sensor's trace without end.
    sensor.sensor->SetTraceLimit(64);
    loaded.push_back(std::move(sensor));
  }
  for (Sensor& sensor : loaded) {
    Plug(sensor);
    sensors_.push_back(std::move(sensor));
  }
  return true;
}

bool Simulation::Save(std::string* error) const {
  std::string failures;
  for (const Sensor& sensor : sensors_) {
    if (sensor.file.empty()) {
      continue;
    }
    std::string why;
    const emu::SensorImage image =
        emu::ImageOf(*sensor.sensor, sensor.vendorId, sensor.releaseNumber);
    if (!emu::SaveSensorFile(sensor.file, image, &why)) {
      failures += (failures.empty() ? "" : "\n") + ("Cannot save " + sensor.file + ": " + why);
    }
  }
  if (error) {
    *error = failures;
  }
  return failures.empty();
}

void Simulation::Plug(Sensor& sensor) {
  sensor.path = bus_.PlugSensor(sensor.sensor, sensor.vendorId, sensor.releaseNumber);
}

std::size_t Simulation::AddSensor() {
  Sensor sensor;
  const emu::SensorImage image;
  sensor.sensor = emu::MakeSensor(image);
  sensor.vendorId = image.vendorId;
  sensor.releaseNumber = image.releaseNumber;
  sensor.sensor->SetTraceLimit(64);
  Plug(sensor);
  sensors_.push_back(std::move(sensor));
  return sensors_.size() - 1;
}

void Simulation::PlugIn(std::size_t index) {
  if (index < sensors_.size() && sensors_[index].path.empty()) {
    Plug(sensors_[index]);
  }
}

void Simulation::PullOut(std::size_t index) {
  if (index < sensors_.size() && !sensors_[index].path.empty()) {
    const std::string path = sensors_[index].path;
    sensors_[index].path.clear();
    bus_.Unplug(path);
  }
}

bool Simulation::PluggedIn(std::size_t index) const {
  return index < sensors_.size() && !sensors_[index].path.empty();
}

void Simulation::MoveTarget(std::size_t index, double inches) {
  if (index < sensors_.size()) {
    sensors_[index].sensor->SetTarget(inches);
  }
}

double Simulation::TargetInches(std::size_t index) const {
  return index < sensors_.size() ? sensors_[index].sensor->TargetInches() : 0;
}

std::unique_ptr<hid::HotplugMonitor> Simulation::MakeMonitor(int* error) {
  return emu::MonitorBus(bus_, error);
}

}  // namespace kv::ui::qt
