// The emulated sensors kept in files between runs.
#include <sys/stat.h>

#include "errors.h"
#include "hid/emulated/sensor_file.h"
#include "simulation.h"

namespace kv::cli {

namespace {

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

}  // namespace

Simulation::Entry Simulation::PlugFromFile(const std::string& file) {
  const bool isNew = !Exists(file);
  emu::SensorImage image;
  std::string error;
  if (!emu::LoadSensorFile(file, &image, &error)) {
    throw UsageError("--simulate=" + file + ": " + error);
  }
  if (isNew) ApplyFirmware(&image);
  return PlugImage(image, file);
}

void Simulation::SaveFiles() {
  std::string failures;
  for (const Entry& entry : entries_) {
    if (entry.file.empty()) continue;
    std::string error;
    const emu::SensorImage image = emu::ImageOf(*entry.sensor, entry.vendorId, entry.release);
    if (!emu::SaveSensorFile(entry.file, image, &error)) {
      failures += (failures.empty() ? "" : "\n") +
                  ("could not keep the emulated sensor in " + entry.file + ": " + error);
    }
  }
  if (!failures.empty()) throw Failure(failures);
}

}  // namespace kv::cli
