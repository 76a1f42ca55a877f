#include "assignments.h"

#include <algorithm>
#include <charconv>

#include "errors.h"

namespace kv::cli {

namespace {

// Words the user does not set, and why.
std::string WhyNotSettable(const Field& field) {
  switch (field.access) {
    case FieldAccess::Settable:
      return {};
    case FieldAccess::ReadOnly:
      return field.unit == FieldUnit::CycleCount
                 ? "is the sensor's 40 kHz cycle count and is read-only"
                 : "is read-only";
    case FieldAccess::SensorKept:
      return "is reserved: the sensor keeps its own value and a write never changes it";
  }
  return {};
}

bool ParseValue(std::string_view text, unsigned long* out) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  }
  const char* end = text.data() + text.size();
  auto [ptr, error] = std::from_chars(text.data(), end, *out, base);
  return !text.empty() && error == std::errc() && ptr == end;
}

}  // namespace

std::vector<Assignment> ParseAssignments(const std::vector<std::string>& arguments) {
  std::vector<Assignment> assignments;
  for (const std::string& argument : arguments) {
    const std::size_t equals = argument.find('=');
    if (equals == std::string::npos) {
      throw UsageError("'" + argument + "' is not NAME=VALUE, for example PingRateS=300.");
    }
    const std::string name = argument.substr(0, equals);
    const std::string text = argument.substr(equals + 1);
    const Field* field = FindField(name);
    if (!field) {
      throw UsageError("there is no field named '" + name +
                       "'. Field names are those of the template file, such as PingRateS or "
                       "Key1CodeWA; 'kv7700ctl show' lists them all. Nothing was sent.");
    }
    if (const std::string why = WhyNotSettable(*field); !why.empty()) {
      throw UsageError(std::string(field->name) + " " + why + ". Nothing was sent.");
    }
    unsigned long value = 0;
    if (!ParseValue(text, &value) || value > 0xFFFF) {
      throw UsageError("'" + text + "' is not a value for " + std::string(field->name) +
                       ": give a whole number from 0 to 65535 (decimal, or hexadecimal with 0x).");
    }
    if (field->wire == FieldWire::Byte && value > 0xFF) {
      throw UsageError(std::string(field->name) + " = " + text +
                       " does not fit: the sensor keeps " + std::string(field->name) +
                       " in one byte, 0 to 255. Nothing was sent.");
    }
    const bool repeated = std::any_of(assignments.begin(), assignments.end(),
                                      [&](const Assignment& a) { return a.field == field; });
    if (repeated) throw UsageError(std::string(field->name) + " is given more than once.");
    assignments.push_back({field, static_cast<std::uint16_t>(value)});
  }
  if (assignments.empty()) throw UsageError("give at least one NAME=VALUE.");
  return assignments;
}

std::vector<RecordKind> TouchedRecords(const std::vector<Assignment>& assignments) {
  std::vector<RecordKind> records;
  for (RecordKind record : kWriteOrder) {
    const bool touched =
        std::any_of(assignments.begin(), assignments.end(),
                    [&](const Assignment& a) { return a.field->record == record; });
    if (touched) records.push_back(record);
  }
  return records;
}

}  // namespace kv::cli
