// NAME=VALUE arguments of 'set', checked completely before any sensor is
// touched: every name must be a field, every value must fit it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fields.h"

namespace kv::cli {

struct Assignment {
  const Field* field;
  std::uint16_t value;
};

// Throws a usage error naming the first bad argument.
std::vector<Assignment> ParseAssignments(const std::vector<std::string>& arguments);

// The records the assignments touch, in the order the library writes them.
std::vector<RecordKind> TouchedRecords(const std::vector<Assignment>& assignments);

}  // namespace kv::cli
