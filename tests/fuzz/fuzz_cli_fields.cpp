// Feeds arbitrary configurations to what kv7700ctl prints about them: every
// field with its unit or key names, the key sequences, the changes between
// two configurations, as text and JSON. A sensor may hold any value, so
// every word must be shown without crashing. The first 96 bytes are the
// configuration before, the next 96 the one after (missing bytes are 0), and
// the two after that the firmware version.
#include <kv7700/records.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "config_text.h"
#include "fields.h"

namespace {

using namespace kv;
using namespace kv::cli;

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "field text: %s\n", what);
    std::abort();
  }
}

struct Bytes {
  const std::uint8_t* data;
  std::size_t size;
  std::uint16_t Word() {
    std::uint16_t value = 0;
    for (int i = 0; i < 2; ++i) {
      value = static_cast<std::uint16_t>(value << 8);
      if (size > 0) {
        value = static_cast<std::uint16_t>(value | *data++);
        --size;
      }
    }
    return value;
  }
};

RecordSet Take(Bytes* bytes) {
  RecordSet config{};
  for (const Field& field : AllFields()) SetValue(&config, field, bytes->Word());
  return config;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Bytes bytes{data, size};
  const RecordSet before = Take(&bytes);
  const RecordSet after = Take(&bytes);
  const std::uint16_t firmware = bytes.Word();

  for (RecordKind record : kRecordKinds) {
    Require(!RecordLines(record, after, firmware).empty(), "a record without lines");
    RecordJson(record, after).dump();
  }
  for (const std::string& line : KeySequenceLines(after)) {
    Require(!line.empty(), "an empty key sequence line");
  }
  KeySequencesJson(after).dump();
  const std::vector<FieldChange> changes = Differences(before, after);
  Require(changes.empty() == (before == after), "changes that do not match the configurations");
  for (const FieldChange& change : changes) {
    Require(change.before != change.after, "a change that changes nothing");
  }
  ChangeLines(before, after, firmware);
  ChangesJson(before, after).dump();
  for (const Field& field : AllFields()) {
    Require(FindField(field.name) == &field, "a field not found by its own name");
    RecordSet copy = after;
    SetValue(&copy, field, Value(after, field));
    Require(copy == after, "storing a field's own value changes the configuration");
  }
  return 0;
}
