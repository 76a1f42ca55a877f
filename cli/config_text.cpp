#include "config_text.h"

#include <cstdio>

#include "fields.h"

namespace kv::cli {

namespace {

std::string Padded(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string FieldLine(const Field& field, const RecordSet& config, std::uint16_t firmware) {
  char value[16];
  std::snprintf(value, sizeof value, "%5u", Value(config, field));
  return "  " + Padded(std::string(field.name), 16) + value + "  " +
         ValueNote(field, config, firmware);
}

bool SameSequences(const RecordSet& a, const RecordSet& b, RecordKind record) {
  switch (record) {
    case RecordKind::WalkAway:
      return SequenceName(a.WalkAway) == SequenceName(b.WalkAway);
    case RecordKind::WalkUp:
      return SequenceName(a.WalkUp) == SequenceName(b.WalkUp);
    case RecordKind::Idle:
      return KeepAliveName(a.Idle) == KeepAliveName(b.Idle);
    case RecordKind::Sonar:
      return true;
  }
  return true;
}

}  // namespace

std::string SensorHeading(const SensorInfo& info) {
  return "Sensor " + std::to_string(info.index) + ": " + info.path + ", firmware " +
         FirmwareText(info.firmware);
}

Json SensorJson(const SensorInfo& info) {
  return {{"index", info.index}, {"path", info.path}, {"firmware", FirmwareText(info.firmware)}};
}

std::vector<std::string> RecordLines(RecordKind record, const RecordSet& config,
                                     std::uint16_t firmware) {
  std::vector<std::string> lines;
  for (const Field& field : AllFields()) {
    if (field.record == record) lines.push_back(FieldLine(field, config, firmware));
  }
  return lines;
}

Json RecordJson(RecordKind record, const RecordSet& config) {
  Json object = Json::object();
  for (const Field& field : AllFields()) {
    if (field.record == record) object[std::string(field.name)] = Value(config, field);
  }
  return object;
}

std::vector<std::string> KeySequenceLines(const RecordSet& config) {
  return {"  walk-away:  " + SequenceName(config.WalkAway),
          "  walk-up:    " + SequenceName(config.WalkUp),
          "  keep-alive: " + KeepAliveName(config.Idle)};
}

Json KeySequencesJson(const RecordSet& config) {
  return {{"walk_away", SequenceName(config.WalkAway)},
          {"walk_up", SequenceName(config.WalkUp)},
          {"keep_alive", KeepAliveName(config.Idle)}};
}

std::vector<FieldChange> Differences(const RecordSet& before, const RecordSet& after) {
  std::vector<FieldChange> changes;
  for (const Field& field : AllFields()) {
    const std::uint16_t old = Value(before, field);
    const std::uint16_t now = Value(after, field);
    if (old != now) changes.push_back({&field, old, now});
  }
  return changes;
}

std::vector<std::string> ChangeLines(const RecordSet& before, const RecordSet& after,
                                     std::uint16_t firmware) {
  std::vector<std::string> lines;
  for (const FieldChange& change : Differences(before, after)) {
    char values[32];
    std::snprintf(values, sizeof values, "%5u -> %-5u", change.before, change.after);
    std::string note = ValueNote(*change.field, after, firmware);
    if (IsKeyField(*change.field)) {
      note = ValueNote(*change.field, before, firmware).append(" -> ").append(note);
    }
    lines.push_back("  " + Padded(std::string(change.field->name), 16) + values + "  " + note);
  }
  if (!SameSequences(before, after, RecordKind::WalkAway)) {
    lines.push_back("  walk-away keys:  " + SequenceName(before.WalkAway) + " -> " +
                    SequenceName(after.WalkAway));
  }
  if (!SameSequences(before, after, RecordKind::WalkUp)) {
    lines.push_back("  walk-up keys:    " + SequenceName(before.WalkUp) + " -> " +
                    SequenceName(after.WalkUp));
  }
  if (!SameSequences(before, after, RecordKind::Idle)) {
    lines.push_back("  keep-alive key:  " + KeepAliveName(before.Idle) + " -> " +
                    KeepAliveName(after.Idle));
  }
  return lines;
}

Json ChangesJson(const RecordSet& before, const RecordSet& after) {
  Json changes = Json::array();
  for (const FieldChange& change : Differences(before, after)) {
    Json entry = {{"field", std::string(change.field->name)},
                  {"record", RecordName(change.field->record)},
                  {"old", change.before},
                  {"new", change.after}};
    if (IsKeyField(*change.field)) {
      entry["old_name"] = ValueNote(*change.field, before, 0);
      entry["new_name"] = ValueNote(*change.field, after, 0);
    }
    changes.push_back(entry);
  }
  return changes;
}

std::string RecordList(const std::vector<RecordKind>& records) {
  std::string text;
  for (RecordKind record : records)
    text += (text.empty() ? "" : ", ") + std::string(RecordName(record));
  return text.empty() ? "no record" : text;
}

Json RecordListJson(const std::vector<RecordKind>& records) {
  Json list = Json::array();
  for (RecordKind record : records) list.push_back(RecordName(record));
  return list;
}

}  // namespace kv::cli
