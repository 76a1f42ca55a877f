#include <kv7700/sensor_firmware.h>

#include "hid/emulated/emulated_sensor.h"
#include "hid/emulated/sensor_file.h"

namespace kv::emu {

struct SensorFirmware::State {
  std::string file;
  SensorImage image;
  std::shared_ptr<EmulatedSensor> sensor;
};

std::unique_ptr<SensorFirmware> SensorFirmware::Open(const std::string& file,
                                                     std::uint16_t firmwareVersion,
                                                     std::string* error) {
  auto state = std::make_unique<State>();
  state->file = file;
  state->image.firmwareVersion = firmwareVersion;
  state->image.releaseNumber = firmwareVersion;
  if (!file.empty() && !LoadSensorFile(file, &state->image, error)) return nullptr;
  state->sensor = MakeSensor(state->image);
  return std::unique_ptr<SensorFirmware>(new SensorFirmware(std::move(state)));
}

SensorFirmware::SensorFirmware(std::unique_ptr<State> state) : state_(std::move(state)) {}
SensorFirmware::~SensorFirmware() = default;

std::uint16_t SensorFirmware::VendorId() const {
  return state_->image.vendorId;
}

std::uint16_t SensorFirmware::ReleaseNumber() const {
  return state_->image.releaseNumber;
}

bool SensorFirmware::OnSetFeature(const hid::Report& report) {
  return state_->sensor->OnSetFeature(report);
}

bool SensorFirmware::OnGetFeature(hid::Report* report) {
  return state_->sensor->OnGetFeature(report);
}

bool SensorFirmware::Save(std::uint16_t vendorId, std::string* error) const {
  if (state_->file.empty()) return true;
  return SaveSensorFile(state_->file,
                        ImageOf(*state_->sensor, vendorId, state_->image.releaseNumber), error);
}

}  // namespace kv::emu
