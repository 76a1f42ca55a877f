// Why the last operation on a sensor failed, in words a person can act on:
// what failed, why, and what to do. Kept per sensor, as hidapi keeps one
// error text per device, and readable after any operation.
//
// The operations that talk to a sensor or change its cache (reads, writes,
// the device commands, the range query, key-send control, Set of a record,
// the template files) each leave their outcome here: a failure, or nothing
// once one succeeds. The queries (Get of a record, GetDevError, the device
// info) leave it alone. The template files use the current sensor's record,
// slot 0's when no sensor is open.
#pragma once

#include <kv7700/kv7700.h>

#include <cstdint>
#include <string>

namespace kv {

struct LastFailure {
  // The operation that failed: "ReadDevCfg", "WriteDevCfgToFile", ...;
  // empty when the last one succeeded.
  std::string operation;
  std::uint32_t status = 0;  // the DevError it left; 0 for a file
  std::string reason;        // why, as a clause: "the sensor did not answer ..."
  std::string advice;        // what to do, in whole sentences
  bool Failed() const { return !operation.empty(); }
  bool operator==(const LastFailure&) const = default;
};

// The current sensor's last failure.
LastFailure GetLastFailure();
// Open sensor `index`'s; nothing failed when there is no such sensor.
LastFailure GetLastFailure(SensorIndex index);

// "Why. What to do." of a failure; empty when nothing failed.
std::string DescribeFailure(const LastFailure& failure);

// --- Status words in words -------------------------------------------------
// What a DevError means, as a clause ("reading the configuration failed: the
// sensor did not answer ..."). A sensor found in use names its holder: the
// current sensor's, else any sensor's whose last wait gave up.
std::string ExplainDevError(std::uint32_t devError);
// What to do about it, in whole sentences.
std::string AdviceForDevError(std::uint32_t devError);
// What a LibError means, as a clause.
std::string ExplainLibError(std::uint32_t libError);
// The platform's HID library by name ("hidapi", "HID.DLL").
std::string HidLibraryName();

}  // namespace kv
