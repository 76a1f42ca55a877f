#include "simulation.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string_view>

#include "errors.h"
#include "hid/emulated/sensor_file.h"

namespace kv::cli {

namespace {

constexpr std::size_t kSensorTraceEntries = 16;

std::string_view Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string_view(value) : std::string_view();
}

template <class T>
bool ParseNumber(std::string_view text, T* out, int base = 10) {
  const char* end = text.data() + text.size();
  auto [ptr, error] = std::from_chars(text.data(), end, *out, base);
  return error == std::errc() && ptr == end && !text.empty();
}

bool ParseDouble(std::string_view text, double* out) {
  if (text.empty()) return false;
  std::string copy(text);
  char* end = nullptr;
  *out = std::strtod(copy.c_str(), &end);
  return end == copy.c_str() + copy.size();
}

CliError BadVariable(const char* name, std::string_view value, const char* expected) {
  return UsageError(std::string(name) + "='" + std::string(value) + "' is not valid: expected " +
                    expected + ".");
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  while (true) {
    const std::size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

SimulationSettings::FaultPlan ParseFault(std::string_view text) {
  constexpr const char* kName = "KV7700_SIMULATE_FAULT";
  constexpr const char* kForm = "refuse:N or vanish:N, optionally followed by :SENSOR";
  const auto parts = Split(text, ':');
  SimulationSettings::FaultPlan plan;
  if (parts.size() < 2 || parts.size() > 3) throw BadVariable(kName, text, kForm);
  if (parts[0] == "refuse") {
    plan.kind = emu::Fault::Refuse;
  } else if (parts[0] == "vanish") {
    plan.kind = emu::Fault::Vanish;
  } else {
    throw BadVariable(kName, text, kForm);
  }
  if (!ParseNumber(parts[1], &plan.exchange) || plan.exchange < 1) {
    throw BadVariable(kName, text, kForm);
  }
  if (parts.size() == 3 && (!ParseNumber(parts[2], &plan.sensor) || plan.sensor < 0)) {
    throw BadVariable(kName, text, kForm);
  }
  return plan;
}

std::vector<PlugStep> ParsePlugScript(std::string_view text) {
  constexpr const char* kName = "KV7700_SIMULATE_PLUG";
  constexpr const char* kForm = "a comma-separated list of plug@MS, other@MS and unplug@MS";
  std::vector<PlugStep> steps;
  for (std::string_view item : Split(text, ',')) {
    const auto parts = Split(item, '@');
    PlugStep step{PlugStep::Kind::PlugSensor, 0};
    if (parts.size() != 2 || !ParseNumber(parts[1], &step.atMs)) {
      throw BadVariable(kName, text, kForm);
    }
    if (parts[0] == "plug") {
      step.kind = PlugStep::Kind::PlugSensor;
    } else if (parts[0] == "other") {
      step.kind = PlugStep::Kind::PlugOther;
    } else if (parts[0] == "unplug") {
      step.kind = PlugStep::Kind::Unplug;
    } else {
      throw BadVariable(kName, text, kForm);
    }
    steps.push_back(step);
  }
  return steps;
}

}  // namespace

SimulationSettings SimulationSettings::FromEnvironment() {
  SimulationSettings settings;
  settings.virtualTime = Env("KV7700_VIRTUAL_TIME") == "1";
  if (const auto text = Env("KV7700_SIMULATE_FIRMWARE"); !text.empty()) {
    std::uint16_t firmware = 0;
    if (!ParseNumber(text, &firmware, 16)) {
      throw BadVariable("KV7700_SIMULATE_FIRMWARE", text, "four hex digits such as 0400");
    }
    settings.firmware = firmware;
  }
  if (const auto text = Env("KV7700_SIMULATE_TARGET"); !text.empty()) {
    const auto parts = Split(text, ':');
    double inches = 0;
    if (parts.size() > 2 || !ParseDouble(parts[0], &inches) ||
        (parts.size() == 2 && !ParseDouble(parts[1], &settings.targetSpeed))) {
      throw BadVariable("KV7700_SIMULATE_TARGET", text, "INCHES or INCHES:INCHES_PER_SECOND");
    }
    settings.targetInches = inches;
  }
  if (const auto text = Env("KV7700_SIMULATE_FAULT"); !text.empty()) {
    settings.faults.push_back(ParseFault(text));
  }
  settings.denied = Env("KV7700_SIMULATE_DENIED") == "1";
  if (const auto text = Env("KV7700_SIMULATE_PLUG"); !text.empty()) {
    settings.plugScript = ParsePlugScript(text);
  }
  return settings;
}

Simulation::Simulation(const std::vector<std::string>& files, SimulationSettings settings)
    : settings_(std::move(settings)) {
  std::set<std::filesystem::path> seen;
  for (const std::string& file : files) {
    std::error_code ignored;
    if (!file.empty() && !seen.insert(std::filesystem::weakly_canonical(file, ignored)).second) {
      throw UsageError("--simulate=" + file +
                       " is given twice; each emulated sensor needs a file of its own.");
    }
    entries_.push_back(file.empty() ? PlugFresh() : PlugFromFile(file));
  }
  for (const SimulationSettings::FaultPlan& plan : settings_.faults) {
    if (plan.sensor >= static_cast<int>(entries_.size())) {
      throw UsageError("KV7700_SIMULATE_FAULT names sensor " + std::to_string(plan.sensor) +
                       ", but only " + std::to_string(entries_.size()) +
                       " emulated sensors were asked for.");
    }
    entries_[plan.sensor].sensor->FailAtExchange(plan.exchange, plan.kind);
  }
}

Simulation::~Simulation() = default;

Simulation::Entry Simulation::PlugImage(const emu::SensorImage& image, const std::string& file) {
  Entry entry;
  entry.file = file;
  entry.sensor = emu::MakeSensor(image);
  entry.vendorId = image.vendorId;
  entry.release = image.releaseNumber;
  entry.path = bus_.PlugSensor(entry.sensor, entry.vendorId, entry.release);
  // The tool reads its own trace at the HID seam; the sensor keeps only a few.
  entry.sensor->SetTraceLimit(kSensorTraceEntries);
  if (settings_.targetInches) {
    entry.sensor->SetTarget(*settings_.targetInches, settings_.targetSpeed);
  }
  if (settings_.denied) bus_.DenyAccess(entry.path);
  return entry;
}

void Simulation::ApplyFirmware(emu::SensorImage* image) const {
  if (!settings_.firmware) return;
  image->firmwareVersion = *settings_.firmware;
  image->releaseNumber = *settings_.firmware;
}

Simulation::Entry Simulation::PlugFresh() {
  emu::SensorImage image;
  ApplyFirmware(&image);
  return PlugImage(image, "");
}

std::string Simulation::PlugNewSensor() {
  return PlugFresh().path;
}

}  // namespace kv::cli
