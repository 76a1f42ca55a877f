// The hold of a sensor kept in a file: two programs using that file take
// turns through its lock, and each takes what the other wrote. Taking the
// hold loads the file when another program changed it; giving it up saves
// the sensor when this program changed it.
#pragma once

#include <memory>
#include <string>

#include "hid/emulated/emulated_bus.h"
#include "hid/emulated/file_lock.h"
#include "hid/emulated/sensor_file.h"

namespace kv::emu {

class SensorFileKeeper final : public HoldKeeper {
 public:
  // `image` is what `file` held when `sensor` was made from it.
  SensorFileKeeper(std::string file, std::shared_ptr<EmulatedSensor> sensor,
                   const SensorImage& image);

  bool TryTake() override;
  void Give() override;
  std::string Holder() override;
  bool TryTakeTurn() override { return lock_.TryTakeTurn(); }
  void GiveTurn() override { lock_.GiveTurn(); }
  // Why the lock file could not be opened; "".
  const std::string& LockError() const { return lock_.Error(); }

  // Saves the sensor when it changed since it was last loaded or saved: a
  // program that only read never overwrites what another one wrote since.
  bool SaveIfChanged(std::string* error);

 private:
  SensorImage Current() const;

  std::string file_;
  std::shared_ptr<EmulatedSensor> sensor_;
  std::uint16_t vendorId_;
  std::uint16_t releaseNumber_;
  std::string known_;  // the image the file holds as far as this program knows, as text
  FileLock lock_;
};

}  // namespace kv::emu
