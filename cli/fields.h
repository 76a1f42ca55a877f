// The 48 configuration fields under their template-file names, and what a
// value means to a person: its unit from the library's field table, or the
// key names of a modifier or key-code word. A whole configuration is the
// library's RecordSet, its records named by the library's table.
#pragma once

#include <kv7700/records.h>
#include <kv7700/template_fields.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kv::cli {

using Field = TemplateField;

// "tsSonarParms" and so on.
std::string RecordName(RecordKind record);
// The library operation that stores the record: "SetSonarParms" and so on.
std::string SetOperationName(RecordKind record);

std::span<const Field> AllFields();
// Case-blind lookup; null when no field has that name.
const Field* FindField(std::string_view name);

std::uint16_t Value(const RecordSet& config, const Field& field);
void SetValue(RecordSet* config, const Field& field, std::uint16_t value);

// --- What a value means ------------------------------------------------------

// "ms", "in", "s", "LCTL+LALT", "DELETE", ... `firmware` decides how the
// debounce times are kept.
std::string ValueNote(const Field& field, const RecordSet& config, std::uint16_t firmware);

// Fields that hold part of a key stroke (modifier and key-code words).
bool IsKeyField(const Field& field);

// --- Key strokes by name, as the configurator names them ---------------------

// One stroke: modifier byte and key code.
std::string StrokeName(std::uint16_t mods, std::uint16_t code);
// The modifier names of a modifier byte joined by '+', or "none".
std::string ModifierNames(std::uint16_t mods);
// The name of a key code, or its number when the table has no row for it.
std::string KeyCodeName(std::uint16_t code);

// The strokes a key record types, in order, separated by ", "; "none" when
// its key count is 0.
std::string SequenceName(const tsWalkAwayParms& record);
std::string SequenceName(const tsWalkUpParms& record);
// The keep-alive key of the idle record, with its period, or "off".
std::string KeepAliveName(const tsIdleParms& record);

}  // namespace kv::cli
