// What another program changed in a record since this window read it, and
// how the user's own edits are laid over the sensor's values, for the ask
// before a write that would put the other program's change back.
#pragma once

#include <kv7700/records.h>
#include <kv7700/template_fields.h>

#include <string>
#include <vector>

namespace kv::ui {

struct FieldChange {
  const TemplateField* field;
  std::uint16_t known;   // as this window last read or wrote it
  std::uint16_t sensor;  // as the sensor holds it now
};

// The settable fields of `record` that differ between `known` and `sensor`
// (the words the sensor keeps for itself are left out: they change alone).
std::vector<FieldChange> ChangedElsewhere(RecordKind record, const RecordSet& known,
                                          const RecordSet& sensor);

// `sensor`'s `record` with every settable field the user changed (`edit`
// differs from `known`) taken from `edit`: both programs' changes kept.
RecordSet Merge(RecordKind record, const RecordSet& known, const RecordSet& sensor,
                const RecordSet& edit);

// The question put to the user, naming each changed field.
std::string ChangeQuestion(RecordKind record, const std::vector<FieldChange>& changes);

}  // namespace kv::ui
