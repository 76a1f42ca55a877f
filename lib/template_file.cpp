// The configuration template file: the current sensor's four cached records
// as 59 lines of plain text, and the reader that loads such a file back into
// the cache through the records' Set operations.
#include <kv7700/device_info.h>
#include <kv7700/file_names.h>
#include <kv7700/kv7700.h>
#include <kv7700/last_failure.h>
#include <kv7700/save_report.h>
#include <kv7700/template_fields.h>
#include <kv7700/template_file.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
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

// Applies every line of the file at `path` to `records`. 0, with `records`
// untouched, when the file cannot be opened or read to its end (a folder, an
// I/O error): then the errno of the failed step.
int ApplyFile(const char* path, RecordSet* records, int* error) {
  *error = EINVAL;
  if (path == nullptr) return 0;
  std::FILE* file = OpenFileByName(path, "r");
  *error = errno;
  if (file == nullptr) return 0;
  RecordSet working = *records;
  std::string line;
  while (ReadLine(file, &line)) ApplyLine(line, &working);
  const bool readFailed = std::ferror(file) != 0;
  *error = readFailed ? (errno != 0 ? errno : EIO) : 0;
  std::fclose(file);
  if (readFailed) return 0;
  *records = working;
  return 1;
}

// What to do about a template file that could not be read.
std::string ReadAdvice(int error) {
  switch (error) {
    case ENOENT:
      return "Check the name and the folder: no such file is there.";
    case EACCES:
    case EPERM:
      return "This user may not read it: ask its owner for read access, or copy it somewhere you "
             "may read.";
    case EISDIR:
      return "That is a folder: give the name of a template file in it.";
    default:
      return "Check the file and the disk, then load it again.";
  }
}

void NoteUnreadable(const char* path, int error) {
  const std::string name = path ? path : "";
  NoteFailure(CurrentSlot(), "ReadDevCfgFmFile",
              "could not read '" + name + "': " + std::strerror(error), ReadAdvice(error));
}

int SetRecordOf(const RecordSet& records, RecordKind record) {
  switch (record) {
    case RecordKind::Sonar:
      return SetSonarParms(&records.Sonar);
    case RecordKind::WalkAway:
      return SetWalkAwayParms(&records.WalkAway);
    case RecordKind::WalkUp:
      return SetWalkUpParms(&records.WalkUp);
    case RecordKind::Idle:
      return SetIdleParms(&records.Idle);
  }
  return 0;
}

// `record` into `*kept` when `check` passes it in reject mode.
template <class R>
bool TakeChecked(R record, R* kept, int (*check)(R*, std::uint32_t)) {
  if (!check(&record, 0)) return false;
  *kept = record;
  return true;
}

}  // namespace

SaveReport SaveDevCfgToFile(const char* path) {
  DeviceSlot& slot = CurrentSlot();
  SaveReport report;
  report.saved = SaveTextFile(path, FormatTemplate(slot.Records, slot.FwVersion), &report);
  if (report.saved) {
    slot.Failure = {};
  } else {
    const std::string name = path ? path : "";
    NoteFailure(slot, "WriteDevCfgToFile", SaveFailureReason(name, report),
                SaveFailureAdvice(report));
  }
  return report;
}

int WriteDevCfgToFile(const char* path) {
  const SaveReport report = SaveDevCfgToFile(path);
  errno = report.error;
  return report.saved ? 1 : 0;
}

TemplateLoad LoadDevCfgFmFile(const char* path) {
  TemplateLoad load;
  // Fields the file does not name keep their cached values.
  RecordSet working = CurrentSlot().Records;
  int error = 0;
  if (!ApplyFile(path, &working, &error)) {
    NoteUnreadable(path, error);
    return load;
  }
  load.read = true;

  // Each Set checks its record; one that fails is dropped and the others are
  // still stored. Idle comes last and always succeeds, leaving DevError 0.
  LastFailure firstRefusal;
  for (RecordKind record : kLoadStoreOrder) {
    const bool stored = SetRecordOf(working, record) != 0;
    (stored ? load.accepted : load.refused).Mark(record);
    if (stored || firstRefusal.Failed()) continue;
    firstRefusal = CurrentSlot().Failure;
    firstRefusal.reason = std::string(NamesOf(record).set) + " refused the file's " +
                          std::string(NamesOf(record).type) + ": " +
                          ExplainDevError(firstRefusal.status);
  }
  if (firstRefusal.Failed()) {
    NoteFailure(CurrentSlot(), "ReadDevCfgFmFile", firstRefusal.reason,
                "Correct the file and load it again; the refused records stay as they were.",
                firstRefusal.status);
  } else {
    CurrentSlot().Failure = {};
  }
  return load;
}

int ReadDevCfgFmFile(const char* path) {
  return LoadDevCfgFmFile(path).read ? 1 : 0;
}

int PreviewDevCfgFmFile(const char* path, RecordSet* records, RecordFlags* stored) {
  if (records == nullptr || stored == nullptr) return 0;
  DeviceSlot& slot = CurrentSlot();
  RecordSet working = slot.Records;
  int error = 0;
  if (!ApplyFile(path, &working, &error)) return 0;

  // The checks of the Set operations, on copies; a refused record stays as
  // cached. The checks note a refusal in DevError, which a preview keeps.
  const std::uint32_t devError = slot.DevError;
  RecordSet result = slot.Records;
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
