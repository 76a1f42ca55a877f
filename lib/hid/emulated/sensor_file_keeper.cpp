#include "hid/emulated/sensor_file_keeper.h"

#include <fstream>
#include <sstream>

#include "platform/file_name.h"

namespace kv::emu {

SensorFileKeeper::SensorFileKeeper(std::string file, std::shared_ptr<EmulatedSensor> sensor,
                                   const SensorImage& image)
    : file_(std::move(file)),
      sensor_(std::move(sensor)),
      vendorId_(image.vendorId),
      releaseNumber_(image.releaseNumber),
      known_(SensorImageToJson(image)),
      lock_(file_ + ".lock") {}

SensorImage SensorFileKeeper::Current() const {
  return ImageOf(*sensor_, vendorId_, releaseNumber_);
}

bool SensorFileKeeper::TryTake() {
  if (!lock_.TryTake()) return false;
  std::ifstream in(PathFromUtf8(file_), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  SensorImage stored;
  std::string ignored;
  // A file that cannot be read now leaves the sensor as it is; the next save
  // writes it whole again.
  if (in && SensorImageFromJson(text.str(), &stored, &ignored)) {
    std::string storedText = SensorImageToJson(stored);
    if (storedText != known_) {
      sensor_->SetMemories(stored.memories);
      known_ = std::move(storedText);
    }
  }
  return true;
}

void SensorFileKeeper::Give() {
  std::string ignored;
  // A failed save is reported by the save at the program's end.
  SaveIfChanged(&ignored);
  lock_.Give();
}

std::string SensorFileKeeper::Holder() {
  return lock_.Holder();
}

bool SensorFileKeeper::SaveIfChanged(std::string* error) {
  const SensorImage image = Current();
  std::string text = SensorImageToJson(image);
  if (text == known_) return true;
  if (!SaveSensorFile(file_, image, error)) return false;
  known_ = std::move(text);
  return true;
}

}  // namespace kv::emu
