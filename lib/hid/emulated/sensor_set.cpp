#include <kv7700/emulation.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string_view>
#include <system_error>

#include "hid/emulated/emulated_bus.h"
#include "hid/emulated/emulated_monitor.h"
#include "hid/emulated/sensor_file.h"
#include "hid/emulated/sensor_file_keeper.h"
#include "platform/file_name.h"

namespace kv::emu {

bool AccessDeniedByEnvironment() {
  const char* denied = std::getenv("KV7700_SIMULATE_DENIED");
  return denied != nullptr && std::string_view(denied) == "1";
}

namespace {

// A long run must not grow a sensor's trace without end.
constexpr std::size_t kTraceLimit = 64;

}  // namespace

struct SensorSet::Entry {
  std::string file;  // "" when the sensor is not kept
  std::shared_ptr<EmulatedSensor> sensor;
  std::uint16_t vendorId = kSensorVendor;
  std::uint16_t releaseNumber = 0;
  std::string path;                          // "" while pulled out
  std::shared_ptr<SensorFileKeeper> keeper;  // null when not kept
};

SensorSet::SensorSet() : bus_(std::make_unique<EmulatedBus>()) {}

SensorSet::~SensorSet() = default;

void SensorSet::SetNewSensorFirmware(std::optional<std::uint16_t> firmware) {
  newFirmware_ = firmware;
}

void SensorSet::SetAccessDenied(bool denied) {
  denied_ = denied;
  for (const Entry& entry : entries_) {
    if (!entry.path.empty()) bus_->DenyAccess(entry.path, denied);
  }
}

SensorSet::Entry SensorSet::MakeEntry(const std::string& file, bool fresh, std::string* error) {
  SensorImage image;
  // By the library's own rule for names (UTF-8, long paths prefixed). Only
  // a file known to be missing is made; any other doubt goes to the read,
  // which says what is wrong and replaces nothing.
  std::error_code unknown;
  const bool missing = !std::filesystem::exists(PathFromUtf8(file), unknown) && !unknown;
  const bool made = fresh || missing;
  if (made && newFirmware_) {
    image.firmwareVersion = *newFirmware_;
    image.releaseNumber = *newFirmware_;
  }
  Entry entry;
  if (!fresh) {
    std::string why;
    // A missing file is written with the image given, so the firmware asked
    // for is kept with it.
    if (made ? !SaveSensorFile(file, image, &why) : !LoadSensorFile(file, &image, &why)) {
      *error = "--simulate=" + file + ": " + why;
      return entry;
    }
    entry.file = file;
  }
  entry.sensor = MakeSensor(image);
  entry.sensor->SetTraceLimit(kTraceLimit);
  if (!fresh) {
    entry.keeper = std::make_shared<SensorFileKeeper>(file, entry.sensor, image);
    // Without its lock two programs would talk to the sensor at once.
    if (const std::string& why = entry.keeper->LockError(); !why.empty()) {
      *error = "--simulate=" + file + ": its lock file " + file + ".lock cannot be opened (" + why +
               "). Remove or fix that file, or name another sensor file.";
      entry.sensor.reset();
      return entry;
    }
  }
  entry.vendorId = image.vendorId;
  entry.releaseNumber = image.releaseNumber;
  return entry;
}

bool SensorSet::Load(const std::vector<std::string>& files, std::string* error) {
  std::string ignored;
  std::string& why = error ? *error : ignored;
  std::set<std::filesystem::path> seen;
  std::vector<Entry> loaded;
  for (const std::string& file : files) {
    std::error_code noCanonicalForm;
    if (!file.empty() &&
        !seen.insert(std::filesystem::weakly_canonical(PathFromUtf8(file), noCanonicalForm))
             .second) {
      why = "--simulate=" + file + " is given twice; each emulated sensor needs a file of its own.";
      return false;
    }
    Entry entry = MakeEntry(file, file.empty(), &why);
    if (!entry.sensor) return false;
    loaded.push_back(std::move(entry));
  }
  for (Entry& entry : loaded) {
    Plug(entry);
    entries_.push_back(std::move(entry));
  }
  return true;
}

bool SensorSet::Save(std::string* error) const {
  std::string failures;
  for (const Entry& entry : entries_) {
    if (entry.file.empty()) continue;
    std::string why;
    if (!entry.keeper->SaveIfChanged(&why)) {
      if (!failures.empty()) failures += '\n';
      failures.append("Could not keep the emulated sensor in ").append(entry.file);
      failures.append(": ").append(why);
    }
  }
  if (error) *error = failures;
  return failures.empty();
}

std::size_t SensorSet::Count() const {
  return entries_.size();
}

hid::Platform& SensorSet::Platform() {
  return *bus_;
}

std::unique_ptr<hid::HotPlugMonitor> SensorSet::MakeMonitor(int* error) {
  return MonitorBus(*bus_, error);
}

void SensorSet::Plug(Entry& entry) {
  entry.path =
      bus_->PlugSensor(entry.sensor, entry.vendorId, entry.releaseNumber, {}, entry.keeper);
  if (denied_) bus_->DenyAccess(entry.path);
}

std::size_t SensorSet::AddSensor() {
  std::string unused;
  Entry entry = MakeEntry("", true, &unused);
  Plug(entry);
  entries_.push_back(std::move(entry));
  return entries_.size() - 1;
}

void SensorSet::PlugIn(std::size_t index) {
  if (index < entries_.size() && entries_[index].path.empty()) Plug(entries_[index]);
}

void SensorSet::PullOut(std::size_t index) {
  if (index >= entries_.size() || entries_[index].path.empty()) return;
  const std::string path = entries_[index].path;
  entries_[index].path.clear();
  bus_->Unplug(path);
}

bool SensorSet::PluggedIn(std::size_t index) const {
  return index < entries_.size() && !entries_[index].path.empty();
}

std::string SensorSet::PathOf(std::size_t index) const {
  return index < entries_.size() ? entries_[index].path : std::string();
}

std::string SensorSet::FileOf(std::size_t index) const {
  return index < entries_.size() ? entries_[index].file : std::string();
}

std::string SensorSet::PlugOther(std::uint16_t vendorId, std::uint16_t productId) {
  return bus_->PlugOther(vendorId, productId);
}

void SensorSet::PullNewest() {
  const std::vector<std::string> paths = bus_->Paths();
  if (paths.empty()) return;
  for (Entry& entry : entries_) {
    if (entry.path == paths.back()) entry.path.clear();
  }
  bus_->Unplug(paths.back());
}

void SensorSet::MoveTarget(std::size_t index, double inches, double inchesPerSecond) {
  if (index < entries_.size()) entries_[index].sensor->SetTarget(inches, inchesPerSecond);
}

double SensorSet::TargetInches(std::size_t index) const {
  return index < entries_.size() ? entries_[index].sensor->TargetInches() : 0;
}

void SensorSet::HoldElsewhere(std::size_t index, const std::string& holder,
                              std::optional<std::uint64_t> forMs) {
  if (PluggedIn(index)) bus_->HoldElsewhere(entries_[index].path, holder, forMs);
}

void SensorSet::ReleaseElsewhere(std::size_t index) {
  if (PluggedIn(index)) bus_->ReleaseElsewhere(entries_[index].path);
}

EmulatedSensor& SensorSet::Sensor(std::size_t index) {
  return *entries_.at(index).sensor;
}

void SensorSet::FailAtExchange(std::size_t index, int exchange, SensorFault fault) {
  if (index >= entries_.size()) return;
  const Fault kind = fault == SensorFault::Vanish   ? Fault::Vanish
                     : fault == SensorFault::Forget ? Fault::Forget
                                                    : Fault::Refuse;
  entries_[index].sensor->FailAtExchange(exchange, kind);
}

}  // namespace kv::emu
