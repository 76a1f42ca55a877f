// The template field table: the 48 fields of the four records in file order,
// each with its name, its comment and the record word it designates, and what
// the sensor makes of the word: its unit, how it travels, whether the user
// may set it, the range the record checks hold it to and the meaning of its
// flag bits. The template file writes one line per row; the reader and the
// command-line tool find a field by its name.
#pragma once

#include <kv7700/records.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kv {

// What a field's value counts.
enum class FieldUnit : std::uint8_t {
  Flags,  // bit flags, named by the row's `bits`
  Milliseconds,
  Seconds,
  Period,  // seconds between periodic keys; 0 switches the key off
  Inches,
  EchoTicks,        // kTicksPerInch per inch; the library does not convert them
  OutOfRangeDelay,  // seconds, or minutes when Flags0WA has kDelayInMinutes;
                    // below kFwSeparateDelays both delays packed in one word
  InRangeDelay,     // seconds, or minutes when Flags0WU has kDelayInMinutes;
                    // unused below kFwSeparateDelays
  KeyCount,         // key entries typed
  KeyModifiers,     // modifier bits of one key stroke
  KeyCode,          // HID usage code of one key stroke
  CycleCount,       // the sensor's 40 kHz cycle count
  BlankingTime,     // units of 43 microseconds
  Reserved,
};

// The bits of a word that a write carries to the sensor, for the words that
// do not travel as a whole byte.
inline constexpr std::uint8_t kLedFlagsWireBits = 0x7F;  // read the same way
inline constexpr std::uint8_t kKeyCountWireBits = 0x0F;  // read the same way
inline constexpr std::uint8_t kFlags0WireBits = 0x0F;    // read with all eight bits
inline constexpr std::uint8_t kReserved1IWireBits = 0x0F;

// How the word travels to the sensor.
enum class FieldWire : std::uint8_t {
  Byte,       // as one byte: only 0 to 255 reach the sensor
  Converted,  // the library converts it (ping rate in 4 ms units, distances
              // in echo ticks, delays in 64 ms units); its check bounds it
};

// Whether the user may set the word.
enum class FieldAccess : std::uint8_t {
  Settable,
  ReadOnly,    // the sensor reports it and takes it back unchanged
  SensorKept,  // never sent from the cache: a write carries the value the
               // sensor last reported instead
};

// The range a record check holds the word to, compared as signed 16-bit
// numbers, and the check code it leaves in the status word (with kGroupSet)
// when a Set operation refuses it. Code 0: the word is not checked.
struct FieldCheck {
  std::uint32_t code = 0;
  std::uint16_t low = 0;
  std::uint16_t high = 0;
};

// One named bit of a flag word.
struct FlagBit {
  std::uint16_t mask;
  std::string_view meaning;
};

struct TemplateField {
  std::string_view name;
  std::string_view comment;  // empty for rows without one
  RecordKind record;
  std::uint8_t word;  // index of the word within its record
  FieldUnit unit;
  FieldWire wire = FieldWire::Byte;
  FieldAccess access = FieldAccess::Settable;
  FieldCheck check = {};
  std::span<const FlagBit> bits = {};  // lowest bit first; Flags rows only
  std::uint8_t wireBits = 0xFF;        // of a Byte word, the bits a write carries
};

inline constexpr std::size_t kTemplateFieldCount = 48;

// Rows 0-7 are the sonar record, 8-23 walk-away, 24-39 walk-up, 40-47 idle.
extern const std::array<TemplateField, kTemplateFieldCount> kTemplateFields;

// The row named `name` (ASCII letters compared without regard to case), or
// null when no row has that name.
const TemplateField* FindTemplateField(std::string_view name);

// The checked row whose check code is in `status` (a status word of a
// refused Set operation, or the bare check code), or null for other words.
const TemplateField* FindCheckedField(std::uint32_t status);

// The record word a row designates within a working set.
std::uint16_t& FieldWord(RecordSet& records, const TemplateField& field);
std::uint16_t FieldWord(const RecordSet& records, const TemplateField& field);

// Reads a field value the way the template reader does: leading white space
// is skipped, then one or more decimal digits are taken and whatever follows
// them is ignored. A sign, no digit at all, or a number above 65535 is not a
// value: false, and `out` is left alone.
bool ScanFieldValue(std::string_view text, std::uint16_t* out);

}  // namespace kv
