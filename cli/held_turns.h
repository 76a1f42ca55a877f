// Holding sensors from the read a command decides on to the read-back of
// its write, so that another program's change made in between is never
// written over: the sensors free now are held and worked on together, then
// each busy one on its own once it is free. No sensor is kept while the
// command waits for another.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fields.h"

namespace kv::cli {

// Runs `work` on the sensors of `indices` it holds: once for those free now
// (together), then once for each busy one when it comes free. A sensor not
// free within the library's wait goes to `busy` with its in-use DevError.
void InTurns(const std::vector<int>& indices,
             const std::function<void(const std::vector<int>& held)>& work,
             const std::function<void(int index, std::uint32_t status)>& busy);

// `cached` with `records` read again from the current sensor (under the
// caller's hold; about one exchange per record), so what another program
// wrote since the run's first read is what the command decides on. The
// cache is left alone. Throws a failure naming `sensor` when the read fails.
RecordSet ReadAgain(const RecordSet& cached, const std::vector<RecordKind>& records,
                    const std::string& sensor);

}  // namespace kv::cli
