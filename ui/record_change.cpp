#include "record_change.h"

namespace kv::ui {

namespace {

template <class Visit>
void EachSettable(RecordKind record, Visit visit) {
  for (const TemplateField& field : kTemplateFields) {
    if (field.record == record && field.access == FieldAccess::Settable) visit(field);
  }
}

}  // namespace

std::vector<FieldChange> ChangedElsewhere(RecordKind record, const RecordSet& known,
                                          const RecordSet& sensor) {
  std::vector<FieldChange> changes;
  EachSettable(record, [&](const TemplateField& field) {
    const std::uint16_t before = FieldWord(known, field);
    const std::uint16_t now = FieldWord(sensor, field);
    if (before != now) changes.push_back({&field, before, now});
  });
  return changes;
}

RecordSet Merge(RecordKind record, const RecordSet& known, const RecordSet& sensor,
                const RecordSet& edit) {
  RecordSet merged = sensor;
  EachSettable(record, [&](const TemplateField& field) {
    if (FieldWord(edit, field) != FieldWord(known, field)) {
      FieldWord(merged, field) = FieldWord(edit, field);
    }
  });
  return merged;
}

std::string ChangeQuestion(RecordKind record, const std::vector<FieldChange>& changes) {
  std::string text = "Another program changed the " + std::string(NamesOf(record).title) +
                     " settings of this sensor after this window read them:\n";
  for (const FieldChange& change : changes) {
    text += "    " + std::string(change.field->name) + ": was " + std::to_string(change.known) +
            ", now " + std::to_string(change.sensor) + "\n";
  }
  text +=
      "\nYes: keep the sensor's values and write only your own changes over them (the window "
      "then shows the result).\nNo: overwrite them with the values in this window.\nCancel: "
      "write nothing now; your changes stay in the window.";
  return text;
}

}  // namespace kv::ui
