#include "fields.h"

#include <kv7700/key_names.h>
#include <kv7700/sensor_facts.h>

#include <cmath>
#include <cstdio>

namespace kv::cli {

std::string RecordName(RecordKind record) {
  return std::string(NamesOf(record).type);
}

std::string SetOperationName(RecordKind record) {
  return std::string(NamesOf(record).set);
}

std::span<const Field> AllFields() {
  return kTemplateFields;
}

const Field* FindField(std::string_view name) {
  return FindTemplateField(name);
}

std::uint16_t Value(const RecordSet& config, const Field& field) {
  return FieldWord(config, field);
}

void SetValue(RecordSet* config, const Field& field, std::uint16_t value) {
  FieldWord(*config, field) = value;
}

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

std::string ValueNote(const Field& field, const RecordSet& config, std::uint16_t firmware) {
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

namespace {

template <class R>
std::string KeySequence(const R& record) {
  using Keys = KeyRecord<R>;
  const std::uint16_t count = record.*Keys::kCount;
  if (count == 0) return "none";
  std::string text;
  for (std::size_t i = 0; i < count && i < Keys::kMods.size(); ++i) {
    if (!text.empty()) text += ", ";
    text += StrokeName(record.*Keys::kMods[i], record.*Keys::kCodes[i]);
  }
  return text;
}

}  // namespace

std::string StrokeName(std::uint16_t mods, std::uint16_t code) {
  return KeyStrokeName(KeySet{static_cast<std::uint8_t>(mods), static_cast<std::uint8_t>(code)});
}

std::string ModifierNames(std::uint16_t mods) {
  if ((mods & 0xFF) == 0) return "none";
  return StrokeName(mods, 0);
}

std::string KeyCodeName(std::uint16_t code) {
  return StrokeName(0, code);
}

std::string SequenceName(const tsWalkAwayParms& record) {
  return KeySequence(record);
}

std::string SequenceName(const tsWalkUpParms& record) {
  return KeySequence(record);
}

std::string KeepAliveName(const tsIdleParms& record) {
  if (record.PressRateI == 0) return "off";
  return StrokeName(record.Key1ModsI, record.Key1CodeI) + " every " +
         std::to_string(record.PressRateI) + " s";
}

}  // namespace kv::cli
