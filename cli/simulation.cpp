#include "simulation.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

#include "output.h"

namespace kv::cli {

namespace {

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
  constexpr const char* kForm = "refuse:N, vanish:N or forget:N, optionally followed by :SENSOR";
  const auto parts = Split(text, ':');
  SimulationSettings::FaultPlan plan;
  if (parts.size() < 2 || parts.size() > 3) throw BadVariable(kName, text, kForm);
  if (parts[0] == "refuse") {
    plan.kind = emu::SensorFault::Refuse;
  } else if (parts[0] == "vanish") {
    plan.kind = emu::SensorFault::Vanish;
  } else if (parts[0] == "forget") {
    plan.kind = emu::SensorFault::Forget;
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
  settings.denied = emu::AccessDeniedByEnvironment();
  if (const auto text = Env("KV7700_SIMULATE_PLUG"); !text.empty()) {
    settings.plugScript = ParsePlugScript(text);
  }
  return settings;
}

Simulation::Simulation(const std::vector<std::string>& files, SimulationSettings settings)
    : settings_(std::move(settings)) {
  sensors_.SetNewSensorFirmware(settings_.firmware);
  sensors_.SetAccessDenied(settings_.denied);
  std::string error;
  if (!sensors_.Load(files, &error)) throw UsageError(error);
  for (std::size_t i = 0; i < sensors_.Count(); ++i) PlaceTarget(i);
  for (const SimulationSettings::FaultPlan& plan : settings_.faults) {
    if (plan.sensor >= static_cast<int>(sensors_.Count())) {
      throw UsageError("KV7700_SIMULATE_FAULT names sensor " + std::to_string(plan.sensor) +
                       ", but only " + std::to_string(sensors_.Count()) +
                       " emulated sensors were asked for.");
    }
    sensors_.FailAtExchange(static_cast<std::size_t>(plan.sensor), plan.exchange, plan.kind);
  }
}

void Simulation::PlaceTarget(std::size_t index) {
  if (settings_.targetInches) {
    sensors_.MoveTarget(index, *settings_.targetInches, settings_.targetSpeed);
  }
}

void Simulation::PlugNewSensor() {
  PlaceTarget(sensors_.AddSensor());
}

void Simulation::SaveFiles() {
  std::string error;
  if (!sensors_.Save(&error)) throw Failure(error);
}

}  // namespace kv::cli
