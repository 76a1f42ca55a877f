#include "field_text.h"

#include <kv7700/sensor_facts.h>

#include <cmath>
#include <cstdio>

#include "key_text.h"

namespace kv::cli {

namespace {

std::string Hex(std::uint16_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

// Flags with the meanings of their set bits.
std::string FlagsNote(std::uint16_t value, std::span<const FlagBit> bits) {
  std::string meanings;
  for (const FlagBit& bit : bits) {
    if (value & bit.mask) meanings += (meanings.empty() ? "" : ", ") + std::string(bit.meaning);
  }
  const std::string note = "flags " + Hex(value);
  return meanings.empty() ? note : note + ": " + meanings;
}

std::string DelayUnit(std::uint16_t flags) {
  return (flags & kDelayInMinutes) ? "min" : "s";
}

}  // namespace

bool IsKeyField(const Field& field) {
  return field.unit == FieldUnit::KeyModifiers || field.unit == FieldUnit::KeyCode;
}

std::string ValueNote(const Field& field, const Configuration& config, std::uint16_t firmware) {
  const std::uint16_t value = Value(config, field);
  const bool separateDelays = firmware >= kFwSeparateDelays;
  switch (field.unit) {
    case FieldUnit::Flags:
      return FlagsNote(value, field.bits);
    case FieldUnit::Milliseconds:
      return "ms";
    case FieldUnit::Seconds:
      return "s";
    case FieldUnit::Period:
      return value == 0 ? "s (keep-alive key off)" : "s";
    case FieldUnit::Inches:
      return "in";
    case FieldUnit::EchoTicks:
      return "echo ticks (about " + std::to_string(std::lround(value / kTicksPerInch)) + " in)";
    case FieldUnit::OutOfRangeDelay:
      if (!separateDelays) {
        return "packed on this firmware: in-range " +
               std::to_string(value >> kPackedInRangeShift & kPackedDelayMask) + ", out-of-range " +
               std::to_string(value & kPackedDelayMask) + " " + DelayUnit(config.WalkAway.Flags0WA);
      }
      return DelayUnit(config.WalkAway.Flags0WA);
    case FieldUnit::InRangeDelay:
      return separateDelays ? DelayUnit(config.WalkUp.Flags0WU) : "unused on this firmware";
    case FieldUnit::KeyCount:
      return "keys";
    case FieldUnit::KeyModifiers:
      return ModifierNames(value);
    case FieldUnit::KeyCode:
      return KeyCodeName(value);
    case FieldUnit::CycleCount:
      return "40 kHz cycles (read-only)";
    case FieldUnit::BlankingTime:
      return "x 43 us";
    case FieldUnit::Reserved:
      return "reserved";
  }
  return "";
}

}  // namespace kv::cli
