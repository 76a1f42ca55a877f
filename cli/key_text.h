// Key strokes by name, as the configurator names them ("LCTL+LALT+DELETE").
#pragma once

#include <kv7700/records.h>

#include <cstdint>
#include <string>

namespace kv::cli {

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
