#include <kv7700/sensor_facts.h>
#include <kv7700/status_codes.h>
#include <kv7700/template_fields.h>

#include "lib_state.h"

namespace kv {

namespace {

using enum RecordKind;
using enum FieldUnit;
using enum FieldWire;
using enum FieldAccess;

constexpr std::string_view kKeyCountComment = "Defined keys to follow (max 6 modifiers/keys)";
constexpr std::string_view kDelayComment =
    "dead time between key presses (msec) (min 64, max 16320)";
constexpr std::string_view kModsComment = "Key Modifiers...";
constexpr std::string_view kCodesComment = "Key Codes...";
constexpr std::string_view kFlagsComment = "see API header File";

constexpr FieldCheck kPingRateCheck = {kErrPingRate, kPingRateMin, kPingRateMax};
constexpr FieldCheck kMinDistCheck = {kErrMinDist, kMinDistMin, kMinDistMax};
constexpr FieldCheck kMaxDistCheck = {kErrMaxDist, kMaxDistMin, kMaxDistMax};
constexpr FieldCheck kKeyCountWACheck = {kErrKeyCountWA, 0, kKeyCountMax};
constexpr FieldCheck kDelayWACheck = {kErrDelayWA, kInterKeyDelayMin, kInterKeyDelayMax};
constexpr FieldCheck kKeyCountWUCheck = {kErrKeyCountWU, 0, kKeyCountMax};
constexpr FieldCheck kDelayWUCheck = {kErrDelayWU, kInterKeyDelayMin, kInterKeyDelayMax};

constexpr FlagBit kLedBits[] = {{kLedNoInRange, "indicator 1 off"},
                                {kLedNoOutOfRange, "indicator 2 off"},
                                {kLedNoTransition, "indicator 3 off"}};
constexpr FlagBit kFlags0WABits[] = {{kDelayInMinutes, "ORDBTmS in minutes"}};
constexpr FlagBit kFlags0WUBits[] = {{kDelayInMinutes, "IRDBTmS in minutes"}};
constexpr FlagBit kFlagsIBits[] = {{kIdleDetectDeadTarget, "dead-target detection"},
                                   {kIdleNearTargetFault, "near target is a fault"}};

}  // namespace

// One row per line: name, comment, record and word, then unit, wire form,
// access, check, flag bits and the bits a write carries (defaults omitted).
// clang-format off
constexpr std::array<TemplateField, kTemplateFieldCount> kTemplateFields = {{
    {"LEDFlagsS", "LED usage flags", Sonar, 0,
     Flags, Byte, Settable, {}, kLedBits, kLedFlagsWireBits},
    {"PingRateS", "Ping rate (msec) (min 200, max 1020)", Sonar, 1,
     Milliseconds, Converted, Settable, kPingRateCheck},
    {"Reserved1S", "40KHz cycle cnt (READ ONLY)", Sonar, 2, CycleCount, Byte, ReadOnly},
    {"MinDistS", "Minimum Distance acceptable (inches) (min 14, max 59)", Sonar, 3,
     Inches, Converted, Settable, kMinDistCheck},
    {"MaxDistS", "Maximum Distance acceptable (inches) (min 15, max 60)", Sonar, 4,
     Inches, Converted, Settable, kMaxDistCheck},
    {"ORDBTmS", "debounce out of range time (sec/min)", Sonar, 5, OutOfRangeDelay},
    {"IRDBTmS", "debounce in range time (sec/min)", Sonar, 6, InRangeDelay},
    {"StartDlyS", "cold start delay in seconds before joining USB", Sonar, 7, Seconds},

    {"KeyCountWA", kKeyCountComment, WalkAway, 0,
     KeyCount, Byte, Settable, kKeyCountWACheck, {}, kKeyCountWireBits},
    {"InterKeyDelayWA", kDelayComment, WalkAway, 1,
     Milliseconds, Converted, Settable, kDelayWACheck},
    {"Key1ModsWA", kModsComment, WalkAway, 2, KeyModifiers},
    {"Key2ModsWA", "", WalkAway, 3, KeyModifiers},
    {"Key3ModsWA", "", WalkAway, 4, KeyModifiers},
    {"Key4ModsWA", "", WalkAway, 5, KeyModifiers},
    {"Key5ModsWA", "", WalkAway, 6, KeyModifiers},
    {"Key6ModsWA", "", WalkAway, 7, KeyModifiers},
    {"Flags0WA", kFlagsComment, WalkAway, 8,
     Flags, Byte, Settable, {}, kFlags0WABits, kFlags0WireBits},
    {"MinFltRepRate", "", WalkAway, 9, Seconds},
    {"Key1CodeWA", kCodesComment, WalkAway, 10, KeyCode},
    {"Key2CodeWA", "", WalkAway, 11, KeyCode},
    {"Key3CodeWA", "", WalkAway, 12, KeyCode},
    {"Key4CodeWA", "", WalkAway, 13, KeyCode},
    {"Key5CodeWA", "", WalkAway, 14, KeyCode},
    {"Key6CodeWA", "", WalkAway, 15, KeyCode},

    {"KeyCountWU", kKeyCountComment, WalkUp, 0,
     KeyCount, Byte, Settable, kKeyCountWUCheck, {}, kKeyCountWireBits},
    {"InterKeyDelayWU", kDelayComment, WalkUp, 1, Milliseconds, Converted, Settable, kDelayWUCheck},
    {"Key1ModsWU", kModsComment, WalkUp, 2, KeyModifiers},
    {"Key2ModsWU", "", WalkUp, 3, KeyModifiers},
    {"Key3ModsWU", "", WalkUp, 4, KeyModifiers},
    {"Key4ModsWU", "", WalkUp, 5, KeyModifiers},
    {"Key5ModsWU", "", WalkUp, 6, KeyModifiers},
    {"Key6ModsWU", "", WalkUp, 7, KeyModifiers},
    {"Flags0WU", kFlagsComment, WalkUp, 8,
     Flags, Byte, Settable, {}, kFlags0WUBits, kFlags0WireBits},
    {"Reserved2WU", "", WalkUp, 9, Reserved, Byte, SensorKept},
    {"Key1CodeWU", kCodesComment, WalkUp, 10, KeyCode},
    {"Key2CodeWU", "", WalkUp, 11, KeyCode},
    {"Key3CodeWU", "", WalkUp, 12, KeyCode},
    {"Key4CodeWU", "", WalkUp, 13, KeyCode},
    {"Key5CodeWU", "", WalkUp, 14, KeyCode},
    {"Key6CodeWU", "", WalkUp, 15, KeyCode},

    {"Reserved1I", "", Idle, 0, Reserved, Byte, SensorKept, {}, {}, kReserved1IWireBits},
    {"PressRateI", "Periodic Press Rate (1 second units) - Zero disables (default)", Idle, 1,
     Period},
    {"Key1ModsI", "Key 1 modifier bit flags", Idle, 2, KeyModifiers},
    {"Key1CodeI", "Key 1 code", Idle, 3, KeyCode},
    {"FlagsI", kFlagsComment, Idle, 4, Flags, Byte, Settable, {}, kFlagsIBits},
    {"DMTODeltaI", "DeadMan T0Delta, 3.472 * Distance (in) = DMTODelta", Idle, 5, EchoTicks},
    {"DMTOTmI", "DeadMan Time (seconds) - Time till Declared Dead while Deltas never exceeded", Idle, 6,
     Seconds},
    {"SNBlankTmI", "Sonar drive blanking time (43usec units)", Idle, 7, BlankingTime},
}};
// clang-format on

namespace {

// The rows follow the words of the four records one after the other, so the
// file's line order is the records' word order.
constexpr bool RowsFollowRecordOrder() {
  constexpr std::array<std::pair<RecordKind, std::size_t>, 4> kSections = {{
      {Sonar, WordCount<tsSonarParms>()},
      {WalkAway, WordCount<tsWalkAwayParms>()},
      {WalkUp, WordCount<tsWalkUpParms>()},
      {Idle, WordCount<tsIdleParms>()},
  }};
  std::size_t row = 0;
  for (const auto& [record, words] : kSections) {
    for (std::size_t word = 0; word < words; ++word, ++row) {
      if (row >= kTemplateFields.size() || kTemplateFields[row].record != record ||
          kTemplateFields[row].word != word) {
        return false;
      }
    }
  }
  return row == kTemplateFields.size();
}
static_assert(RowsFollowRecordOrder());

// Flag bits belong to flag words only, every word the library converts on
// the wire is bounded by a check (so no other limit applies to it), and only
// a byte word can lose bits on the way.
constexpr bool ColumnsAgree() {
  for (const TemplateField& field : kTemplateFields) {
    if ((field.unit == Flags) == field.bits.empty()) return false;
    if (field.wire == Converted && field.check.code == 0) return false;
    if (field.access != Settable && field.check.code != 0) return false;
    // The bits a write carries are the lowest ones.
    if (field.wireBits != 0xFF && (field.wire != Byte || (field.wireBits & (field.wireBits + 1)))) {
      return false;
    }
  }
  return true;
}
static_assert(ColumnsAgree());

constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

constexpr bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

constexpr bool IsScanSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Word access shared by the const and non-const lookups.
template <class Set>
decltype(auto) WordIn(Set& records, const TemplateField& field) {
  switch (field.record) {
    case Sonar:
      return Word(records.Sonar, field.word);
    case WalkAway:
      return Word(records.WalkAway, field.word);
    case WalkUp:
      return Word(records.WalkUp, field.word);
    case Idle:
      break;
  }
  return Word(records.Idle, field.word);
}

}  // namespace

const TemplateField* FindTemplateField(std::string_view name) {
  for (const TemplateField& field : kTemplateFields) {
    if (EqualIgnoringAsciiCase(field.name, name)) return &field;
  }
  return nullptr;
}

const TemplateField* FindCheckedField(std::uint32_t status) {
  const std::uint32_t code = status & kCheckCodeMask;
  if (code == 0) return nullptr;
  for (const TemplateField& field : kTemplateFields) {
    if (field.check.code == code) return &field;
  }
  return nullptr;
}

std::uint16_t& FieldWord(RecordSet& records, const TemplateField& field) {
  return WordIn(records, field);
}

std::uint16_t FieldWord(const RecordSet& records, const TemplateField& field) {
  return WordIn(records, field);
}

bool ScanFieldValue(std::string_view text, std::uint16_t* out) {
  std::size_t i = 0;
  while (i < text.size() && IsScanSpace(text[i])) ++i;
  std::uint32_t value = 0;
  std::size_t digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    value = value * 10 + std::uint32_t(text[i] - '0');
    if (value > 0xFFFF) return false;  // too large for a word: not a value
  }
  if (digits == 0) return false;  // a sign, or no number at all
  *out = static_cast<std::uint16_t>(value);
  return true;
}

int SetFieldByName(const char* name, std::uint16_t value, RecordSet* records) {
  if (name == nullptr || records == nullptr) return 0;
  const TemplateField* field = FindTemplateField(name);
  if (field == nullptr) return 0;
  FieldWord(*records, *field) = value;
  return 1;
}

}  // namespace kv
