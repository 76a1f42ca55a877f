#include <kv7700/template_fields.h>

#include "lib_state.h"

namespace kv {

namespace {

using enum RecordKind;

constexpr std::string_view kKeyCountComment = "Defined keys to follow (max 6 modifiers/keys)";
constexpr std::string_view kDelayComment =
    "dead time between key presses (msec) (min 64, max 16320)";
constexpr std::string_view kModsComment = "Key Modifiers...";
constexpr std::string_view kCodesComment = "Key Codes...";
constexpr std::string_view kFlagsComment = "see API header File";

}  // namespace

constexpr std::array<TemplateField, kTemplateFieldCount> kTemplateFields = {{
    {"LEDFlagsS", "LED usage flags", Sonar, 0},
    {"PingRateS", "Ping rate (msec) (min 200, max 1020)", Sonar, 1},
    {"Reserved1S", "40KHz cycle cnt (READ ONLY)", Sonar, 2},
    {"MinDistS", "Minimum Distance acceptable (inches) (min 14, max 59)", Sonar, 3},
    {"MaxDistS", "Maximum Distance acceptable (inches) (min 15, max 60)", Sonar, 4},
    {"ORDBTmS", "debounce out of range time (sec/min)", Sonar, 5},
    {"IRDBTmS", "debounce in range time (sec/min)", Sonar, 6},
    {"StartDlyS", "cold start delay in seconds before joining USB", Sonar, 7},

    {"KeyCountWA", kKeyCountComment, WalkAway, 0},
    {"InterKeyDelayWA", kDelayComment, WalkAway, 1},
    {"Key1ModsWA", kModsComment, WalkAway, 2},
    {"Key2ModsWA", "", WalkAway, 3},
    {"Key3ModsWA", "", WalkAway, 4},
    {"Key4ModsWA", "", WalkAway, 5},
    {"Key5ModsWA", "", WalkAway, 6},
    {"Key6ModsWA", "", WalkAway, 7},
    {"Flags0WA", kFlagsComment, WalkAway, 8},
    {"MinFltRepRate", "", WalkAway, 9},
    {"Key1CodeWA", kCodesComment, WalkAway, 10},
    {"Key2CodeWA", "", WalkAway, 11},
    {"Key3CodeWA", "", WalkAway, 12},
    {"Key4CodeWA", "", WalkAway, 13},
    {"Key5CodeWA", "", WalkAway, 14},
    {"Key6CodeWA", "", WalkAway, 15},

    {"KeyCountWU", kKeyCountComment, WalkUp, 0},
    {"InterKeyDelayWU", kDelayComment, WalkUp, 1},
    {"Key1ModsWU", kModsComment, WalkUp, 2},
    {"Key2ModsWU", "", WalkUp, 3},
    {"Key3ModsWU", "", WalkUp, 4},
    {"Key4ModsWU", "", WalkUp, 5},
    {"Key5ModsWU", "", WalkUp, 6},
    {"Key6ModsWU", "", WalkUp, 7},
    {"Flags0WU", kFlagsComment, WalkUp, 8},
    {"Reserved2WU", "", WalkUp, 9},
    {"Key1CodeWU", kCodesComment, WalkUp, 10},
    {"Key2CodeWU", "", WalkUp, 11},
    {"Key3CodeWU", "", WalkUp, 12},
    {"Key4CodeWU", "", WalkUp, 13},
    {"Key5CodeWU", "", WalkUp, 14},
    {"Key6CodeWU", "", WalkUp, 15},

    {"Reserved1I", "", Idle, 0},
    {"PressRateI", "Periodic Press Rate (1 second units) - Zero disables (default)", Idle, 1},
    {"Key1ModsI", "Key 1 modifier bit flags", Idle, 2},
    {"Key1CodeI", "Key 1 code", Idle, 3},
    {"FlagsI", kFlagsComment, Idle, 4},
    {"DMTODeltaI", "DeadMan T0Delta, 3.472 * Distance (in) = DMTODelta", Idle, 5},
    {"DMTOTmI", "DeadMan Time (seconds) - Time till Declared Dead while Deltas never exceeded",
     Idle, 6},
    {"SNBlankTmI", "Sonar drive blanking time (43usec units)", Idle, 7},
}};

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
