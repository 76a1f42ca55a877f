// The 48 configuration fields under their template-file names, and a whole
// configuration as the tool handles it: the library's working set of the
// four records.
#pragma once

#include <kv7700/records.h>
#include <kv7700/template_fields.h>

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace kv::cli {

using Field = TemplateField;
using Configuration = RecordSet;

inline constexpr std::array<RecordKind, 4> kAllRecords = {RecordKind::Sonar, RecordKind::WalkAway,
                                                          RecordKind::WalkUp, RecordKind::Idle};
// The order in which the library sends records.
inline constexpr std::array<RecordKind, 4> kWriteOrder = {RecordKind::WalkAway, RecordKind::WalkUp,
                                                          RecordKind::Sonar, RecordKind::Idle};

// "tsSonarParms" and so on.
const char* RecordName(RecordKind record);
// The library operation that stores the record: "SetSonarParms" and so on.
const char* SetOperationName(RecordKind record);

std::span<const Field> AllFields();
// Case-blind lookup; null when no field has that name.
const Field* FindField(std::string_view name);

std::uint16_t Value(const Configuration& config, const Field& field);
void SetValue(Configuration* config, const Field& field, std::uint16_t value);
bool SameRecord(const Configuration& a, const Configuration& b, RecordKind record);

}  // namespace kv::cli
