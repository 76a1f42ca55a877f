// The limits the library's record checks enforce, by the check code they
// leave in the status word, so a refusal can name the field and its range.
#pragma once

#include <cstdint>
#include <string_view>

namespace kv::cli {

struct FieldLimit {
  std::uint32_t code;  // 0x1000 to 0x1021
  std::string_view field;
  int low;
  int high;
};

// The limit whose check code is in `devError`; null for other status words.
const FieldLimit* LimitForStatus(std::uint32_t devError);
// The limit of a field, if the library checks it.
const FieldLimit* LimitForField(std::string_view field);

}  // namespace kv::cli
