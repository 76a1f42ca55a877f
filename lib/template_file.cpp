// The configuration template file: the current sensor's four cached records
// as 59 lines of plain text, and the reader that loads such a file back into
// the cache through the records' Set operations.
#include <kv7700/device_info.h>
#include <kv7700/file_names.h>
#include <kv7700/kv7700.h>
#include <kv7700/save_report.h>
#include <kv7700/template_fields.h>
#include <kv7700/template_file.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iterator>
#include <string>
#include <string_view>

#include "lib_state.h"
#include "platform/text_file_save.h"

namespace kv {

namespace {

constexpr char kCommentMark = '/';
constexpr char kVersionMark = ':';
constexpr const char* kBanner = "--- Sonar Configuration Template File ---";

// The reader has always taken at most 127 characters of a line (a 128-byte
// buffer); the writer's longest line is 98 characters.
constexpr std::size_t kMaxLineChars = 127;
constexpr std::string_view kDelimiters = ", =\t";

struct Section {
  std::size_t firstRow;
  const char* record;
};

// Each section line names its record and precedes the record's first row.
constexpr Section kSections[] = {
    {0, "tsSonarParms"},
    {8, "tsWalkAwayParms"},
    {24, "tsWalkUpParms"},
    {40, "tsIdleParms"},
};

using Word16 = unsigned short;  // the type "%hu" prints

// How the last save went, for the message of a failed one.
SaveReport g_lastSave;

std::string FormatTemplate(const RecordSet& records, std::uint16_t firmware) {
  std::string text;
  char line[256];  // the longest line is 98 characters
  const auto append = [&](int length) {
    if (length > 0) text.append(line, std::min(std::size_t(length), sizeof line - 1));
  };
  append(std::snprintf(line, sizeof line, "%c%s\n", kCommentMark, kBanner));
  append(std::snprintf(line, sizeof line, "%cLibrary Version%c %hu.%hu.%hu \n", kVersionMark,
                       kVersionMark, Word16{kLibVersionMajor}, Word16{kLibVersionMinor},
                       Word16{kLibVersionBuild}));
  // Each 4-bit group prints as a decimal number of its own: 0x010A is 01.010.
  append(std::snprintf(line, sizeof line, "%cDevice FW Version%c %hu%hu.%hu%hu \n", kVersionMark,
                       kVersionMark, Word16((firmware >> 12) & 0xF), Word16((firmware >> 8) & 0xF),
                       Word16((firmware >> 4) & 0xF), Word16(firmware & 0xF)));
  const Section* section = std::begin(kSections);
  for (std::size_t row = 0; row < kTemplateFields.size(); ++row) {
    if (section != std::end(kSections) && section->firstRow == row) {
      append(std::snprintf(line, sizeof line, "\n%c %s\n", kCommentMark, section->record));
      ++section;
    }
    const TemplateField& field = kTemplateFields[row];
    const std::string name(field.name);
    const std::string comment(field.comment);
    append(std::snprintf(line, sizeof line, "%s = %hu     / %s\n", name.c_str(),
                         Word16{FieldWord(records, field)}, comment.c_str()));
  }
  return text;
}

RecordSet CachedRecords(const DeviceSlot& slot) {
  return RecordSet{slot.Sonar, slot.WalkAway, slot.WalkUp, slot.Idle};
}

// Reads the next line without its line end, keeping at most kMaxLineChars
// characters; the rest of a longer line is discarded, so the tail of a long
// comment can never pass for a line of its own. False at the end of the file.
bool ReadLine(std::FILE* file, std::string* line) {
  line->clear();
  int c = std::getc(file);
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = std::getc(file)) {
    if (line->size() < kMaxLineChars) line->push_back(static_cast<char>(c));
  }
  return true;
}

// The next run of characters that are not delimiters, skipping delimiters
// before it; empty when none is left.
std::string_view NextToken(std::string_view* rest) {
  const std::size_t start = rest->find_first_not_of(kDelimiters);
  if (start == std::string_view::npos) {
    *rest = {};
    return {};
  }
  rest->remove_prefix(start);
  const std::size_t end = std::min(rest->find_first_of(kDelimiters), rest->size());
  const std::string_view token = rest->substr(0, end);
  rest->remove_prefix(end);
  return token;
}

// One line of a template: a comment, a blank line, or a field name and a
// value, separated by any run of delimiters, with anything after the value
// ignored. Lines that name no field or hold no value change nothing.
void ApplyLine(std::string_view line, RecordSet* records) {
  line = line.substr(0, line.find('\0'));  // a line ends at a zero byte
  std::size_t start = 0;
  // Blanks, control characters and bytes 0x80 to 0xFF before the text.
  while (start < line.size() && static_cast<signed char>(line[start]) <= ' ') ++start;
  line.remove_prefix(start);
  if (line.empty() || line.front() == kCommentMark || line.front() == kVersionMark) return;

  const std::string_view name = NextToken(&line);
  const std::string_view valueText = NextToken(&line);
  std::uint16_t value = 0;
  if (name.empty() || !ScanFieldValue(valueText, &value)) return;
  SetFieldByName(std::string(name).c_str(), value, records);
}

// Applies every line of the file at `path` to `records`. False, with
// `records` untouched, when the file cannot be opened or read to its end (a
// folder, an I/O error).
bool ApplyFile(const char* path, RecordSet* records) {
  if (path == nullptr) return false;
  std::FILE* file = OpenFileByName(path, "r");
  if (file == nullptr) return false;
  RecordSet working = *records;
  std::string line;
  while (ReadLine(file, &line)) ApplyLine(line, &working);
  const bool readFailed = std::ferror(file) != 0;
  std::fclose(file);
  if (readFailed) return false;
  *records = working;
  return true;
}

// `record` into `*kept` when `check` passes it in reject mode.
template <class R>
bool TakeChecked(R record, R* kept, int (*check)(R*, std::uint32_t)) {
  if (!check(&record, 0)) return false;
  *kept = record;
  return true;
}

}  // namespace

int WriteDevCfgToFile(const char* path) {
  const DeviceSlot& slot = CurrentSlot();
  SaveOutcome outcome;
  const bool saved =
      SaveTextFile(path, FormatTemplate(CachedRecords(slot), slot.FwVersion), &outcome);
  g_lastSave = {saved, outcome.error, outcome.inPlace, outcome.fileMayBeIncomplete,
                outcome.replacedNotSynced};
  errno = outcome.error;
  return saved ? 1 : 0;
}

SaveReport GetLastSaveReport() {
  return g_lastSave;
}

int ReadDevCfgFmFile(const char* path) {
  // Fields the file does not name keep their cached values.
  RecordSet working = CachedRecords(CurrentSlot());
  if (!ApplyFile(path, &working)) return 0;

  // Each Set checks its record; one that fails is dropped and the others are
  // still stored. Idle comes last and always succeeds, leaving DevError 0.
  SetWalkAwayParms(&working.WalkAway);
  SetWalkUpParms(&working.WalkUp);
  SetSonarParms(&working.Sonar);
  SetIdleParms(&working.Idle);
  return 1;
}

int PreviewDevCfgFmFile(const char* path, RecordSet* records, DirtyRecords* stored) {
  if (records == nullptr || stored == nullptr) return 0;
  DeviceSlot& slot = CurrentSlot();
  RecordSet working = CachedRecords(slot);
  if (!ApplyFile(path, &working)) return 0;

  // The checks of the Set operations, on copies; a refused record stays as
  // cached. The checks note a refusal in DevError, which a preview keeps.
  const std::uint32_t devError = slot.DevError;
  RecordSet result = CachedRecords(slot);
  *stored = {};
  stored->walkAway = TakeChecked(working.WalkAway, &result.WalkAway, &CheckWalkAwayParms);
  stored->walkUp = TakeChecked(working.WalkUp, &result.WalkUp, &CheckWalkUpParms);
  stored->sonar = TakeChecked(working.Sonar, &result.Sonar, &CheckSonarParms);
  result.Idle = working.Idle;  // the idle record has no limits
  stored->idle = true;
  slot.DevError = devError;
  *records = result;
  return 1;
}

}  // namespace kv
