#include "field_text.h"

#include <kv7700/sensor_facts.h>

#include <cmath>
#include <cstdio>
#include <string_view>

#include "key_text.h"

namespace kv::cli {

namespace {

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

std::string Hex(std::uint16_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

// Flags with the meanings of their named bits.
std::string FlagsNote(std::uint16_t value, std::initializer_list<const char*> bitNames) {
  std::string note = "flags " + Hex(value);
  std::string meanings;
  int bit = 0;
  for (const char* name : bitNames) {
    if (name && (value >> bit & 1)) meanings += (meanings.empty() ? "" : ", ") + std::string(name);
    ++bit;
  }
  return meanings.empty() ? note : note + ": " + meanings;
}

std::string DebounceUnit(bool minutes) {
  return minutes ? "min" : "s";
}

}  // namespace

bool IsKeyField(const Field& field) {
  return Contains(field.name, "Mods") || Contains(field.name, "Code");
}

std::string ValueNote(const Field& field, const Configuration& config, std::uint16_t firmware) {
  const std::string_view name = field.name;
  const std::uint16_t value = Value(config, field);
  if (Contains(name, "Mods")) return ModifierNames(value);
  if (Contains(name, "Code")) return KeyCodeName(value);
  if (Contains(name, "KeyCount")) return "keys";
  if (Contains(name, "InterKeyDelay") || name == "PingRateS") return "ms";
  if (name == "LEDFlagsS") {
    return FlagsNote(value, {"indicator 1 off", "indicator 2 off", "indicator 3 off"});
  }
  if (name == "Reserved1S") return "40 kHz cycles (read-only)";
  if (name == "MinDistS" || name == "MaxDistS") return "in";
  if (name == "ORDBTmS") {
    if (firmware < kFwSeparateDelays) {
      return "packed on this firmware: in-range " + std::to_string(value >> 4) + ", out-of-range " +
             std::to_string(value & 0x0F) + " " + DebounceUnit(config.WalkAway.Flags0WA & 1);
    }
    return DebounceUnit(config.WalkAway.Flags0WA & 1);
  }
  if (name == "IRDBTmS") {
    if (firmware < kFwSeparateDelays) return "unused on this firmware";
    return DebounceUnit(config.WalkUp.Flags0WU & 1);
  }
  if (name == "StartDlyS" || name == "MinFltRepRate" || name == "DMTOTmI") return "s";
  if (name == "Flags0WA") return FlagsNote(value, {"ORDBTmS in minutes"});
  if (name == "Flags0WU") return FlagsNote(value, {"IRDBTmS in minutes"});
  if (Contains(name, "Reserved")) return "reserved";
  if (name == "PressRateI") return value == 0 ? "s (keep-alive key off)" : "s";
  if (name == "FlagsI") {
    return FlagsNote(value, {"dead-target detection", "near target is a fault"});
  }
  if (name == "DMTODeltaI") {
    const long inches = std::lround(value / kTicksPerInch);
    return "echo ticks (about " + std::to_string(inches) + " in)";
  }
  if (name == "SNBlankTmI") return "x 43 us";
  return "";
}

}  // namespace kv::cli
