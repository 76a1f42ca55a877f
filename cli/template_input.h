// A template file given on the command line: checked before any sensor is
// touched, and the limits a refused record is held to, for messages.
#pragma once

#include <string>

#include "fields.h"

namespace kv::cli {

// A file to read must exist, be a regular file and be readable; throws a
// usage error that says which and why.
void CheckReadable(const std::string& file);

// "PingRateS 200 to 1020, MinDistS 1 to 59, ..." for the checked fields of
// `record`.
std::string LimitsOf(RecordKind record);

}  // namespace kv::cli
