// What a field's value means to a person: its unit, or the key names of a
// modifier or key-code word.
#pragma once

#include <cstdint>
#include <string>

#include "fields.h"

namespace kv::cli {

// "ms", "in", "s", "LCTL+LALT", "DELETE", ... `firmware` decides how the
// debounce times are kept.
std::string ValueNote(const Field& field, const Configuration& config, std::uint16_t firmware);

// Fields that hold part of a key stroke (modifier and key-code words).
bool IsKeyField(const Field& field);

}  // namespace kv::cli
