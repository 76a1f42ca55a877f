// The template field table: the 48 fields of the four records in file order,
// each with its name, its comment and the record word it designates. The
// template file writes one line per row; the reader and the command-line tool
// find a field by its name.
#pragma once

#include <kv7700/records.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kv {

enum class RecordKind : std::uint8_t { Sonar, WalkAway, WalkUp, Idle };

struct TemplateField {
  std::string_view name;
  std::string_view comment;  // empty for rows without one
  RecordKind record;
  std::uint8_t word;  // index of the word within its record
};

inline constexpr std::size_t kTemplateFieldCount = 48;

// Rows 0-7 are the sonar record, 8-23 walk-away, 24-39 walk-up, 40-47 idle.
extern const std::array<TemplateField, kTemplateFieldCount> kTemplateFields;

// The row named `name` (ASCII letters compared without regard to case), or
// null when no row has that name.
const TemplateField* FindTemplateField(std::string_view name);

// The record word a row designates within a working set.
std::uint16_t& FieldWord(RecordSet& records, const TemplateField& field);
std::uint16_t FieldWord(const RecordSet& records, const TemplateField& field);

// Reads a field value the way the template reader does: leading white space
// is skipped, then one or more decimal digits are taken and whatever follows
// them is ignored. A sign, no digit at all, or a number above 65535 is not a
// value: false, and `out` is left alone.
bool ScanFieldValue(std::string_view text, std::uint16_t* out);

}  // namespace kv
