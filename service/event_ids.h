// The events the plug-in service writes to the Application log. The ids and
// severities are those of windows/messages.mc (a test holds the two equal);
// each event's strings fill its message's %1, %2, ... in order.
#pragma once

#include <cstdint>
#include <span>

namespace kv::service {

enum class Severity : std::uint32_t { Informational = 1, Warning = 2, Error = 3 };

enum class EventId : std::uint16_t {
  Started = 1,               // site file, where its name came from, on or off
  Stopped = 2,               // -
  Applied = 100,             // sensor, site file, records written
  Unchanged = 101,           // sensor, site file
  Failed = 102,              // sensor, site file, status word, what the tool said
  NotConfigured = 109,       // site file (the default), sensor
  SiteFileMissing = 110,     // site file (named by policy), sensor
  SiteFileUnreadable = 111,  // site file, sensor, why
  SiteFileRefused = 112,     // site file, sensor, what the library refused
  TurnedOff = 120,           // sensor
  ToolFailed = 130,          // the tool, sensor, why
};

struct EventKind {
  EventId id;
  Severity severity;
  int strings;  // how many insertion strings the message takes
};

std::span<const EventKind> AllEventKinds();
const EventKind& KindOf(EventId id);

// The message's full 32-bit id as the message compiler numbers it: the
// severity in the top two bits. The log shows the low 16 bits as the event id.
constexpr std::uint32_t FullEventId(EventId id, Severity severity) {
  return (static_cast<std::uint32_t>(severity) << 30) | static_cast<std::uint32_t>(id);
}

}  // namespace kv::service
