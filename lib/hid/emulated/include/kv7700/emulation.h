// Emulated sensors in place of hardware, for --simulate in the tools, for
// demos and for tests: each sensor optionally kept in a file between runs
// (created factory-fresh when missing), all of them on one emulated bus that
// the library uses as its platform. Programs sharing a sensor's file take
// turns through a lock on FILE.lock beside it, and each sees what the others
// wrote. Emulated sensors keep the real sensor's timing and can be plugged
// in, pulled out, moved in front of and made to fail.
#pragma once

#include <kv7700/hid.h>
#include <kv7700/hot_plug.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kv::emu {

class EmulatedBus;
class EmulatedSensor;

enum class SensorFault {
  Refuse,  // the one exchange fails, the sensor stays
  Vanish,  // that exchange and every later one fail, as when unplugged
  Forget,  // from that exchange on writes are acknowledged but not stored
};

// Whether the environment asks for emulated sensors that are present but not
// the user's to open, as a sensor without the udev rule (or another user's)
// is: KV7700_SIMULATE_DENIED=1. The one reading of that variable, for both
// programs.
bool AccessDeniedByEnvironment();

class SensorSet {
 public:
  SensorSet();
  ~SensorSet();
  SensorSet(const SensorSet&) = delete;
  SensorSet& operator=(const SensorSet&) = delete;

  // Firmware version (also the USB release number) of sensors made from now
  // on; without one they run 4.10, which offers every command.
  void SetNewSensorFirmware(std::optional<std::uint16_t> firmware);
  // Present sensors, and those plugged in later, refuse this user (as a
  // hidraw node without the udev rule does).
  void SetAccessDenied(bool denied);

  // Plugs in one sensor per entry: "" for a fresh one, else the sensor kept
  // in that file (made factory-fresh and written there when missing). False
  // with `error` naming the file ("--simulate=FILE: ...", as the tools take
  // it) and what is wrong; nothing is plugged in then.
  bool Load(const std::vector<std::string>& files, std::string* error);
  // Writes every kept sensor back to its file; a failed save leaves the old
  // file whole. False with `error` naming every file that could not be kept.
  bool Save(std::string* error) const;

  // The bus, to be installed with hid::SetPlatform while the set lives.
  hid::Platform& Platform();
  // A monitor that reports this bus's plugs and pulls. At most one at a time.
  std::unique_ptr<hid::HotPlugMonitor> MakeMonitor(int* error);

  std::size_t Count() const;
  // A fresh sensor, plugged in; its index.
  std::size_t AddSensor();
  void PlugIn(std::size_t index);
  void PullOut(std::size_t index);
  bool PluggedIn(std::size_t index) const;
  // Where sensor `index` is plugged in; "" while pulled out.
  std::string PathOf(std::size_t index) const;
  // The file that keeps sensor `index`; "" when it is not kept.
  std::string FileOf(std::size_t index) const;

  // Some other HID device (a keyboard, say); its path.
  std::string PlugOther(std::uint16_t vendorId, std::uint16_t productId);
  // Pulls out the device plugged in last, sensor or not.
  void PullNewest();

  // Places the target `inches` in front of sensor `index`, moving at
  // `inchesPerSecond` (negative: approaching).
  void MoveTarget(std::size_t index, double inches, double inchesPerSecond = 0);
  double TargetInches(std::size_t index) const;
  // Sensor `index` fails its `exchange`-th feature report from now on.
  void FailAtExchange(std::size_t index, int exchange, SensorFault fault);

  // Another program holds sensor `index`, as `holder` describes it
  // ("kv7700-config, process 1234"): for `forMs` of the clock from now, or
  // until ReleaseElsewhere. Programs that want the sensor wait meanwhile.
  void HoldElsewhere(std::size_t index, const std::string& holder,
                     std::optional<std::uint64_t> forMs = std::nullopt);
  void ReleaseElsewhere(std::size_t index);

 private:
  // The bus and a sensor themselves, for tests that need more than the set
  // offers (through SensorSetProbe, the emulator's private header).
  friend class SensorSetProbe;
  EmulatedBus& Bus() { return *bus_; }
  EmulatedSensor& Sensor(std::size_t index);

  struct Entry;
  Entry MakeEntry(const std::string& file, bool fresh, std::string* error);
  void Plug(Entry& entry);

  std::unique_ptr<EmulatedBus> bus_;
  std::vector<Entry> entries_;
  std::optional<std::uint16_t> newFirmware_;
  bool denied_ = false;
};

}  // namespace kv::emu
