// The configuration a sensor holds as it ships and after a factory reset
// (command 0xA0), as the library's records: what tools compare a sensor's
// configuration with to tell what was changed.
#pragma once

#include <kv7700/records.h>

namespace kv {

RecordSet FactoryDefaults();

}  // namespace kv
