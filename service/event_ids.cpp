#include "event_ids.h"

#include <algorithm>
#include <array>

namespace kv::service {

namespace {

constexpr std::array<EventKind, 11> kKinds = {{
    {EventId::Started, Severity::Informational, 3},
    {EventId::Stopped, Severity::Informational, 0},
    {EventId::Applied, Severity::Informational, 3},
    {EventId::Unchanged, Severity::Informational, 2},
    {EventId::Failed, Severity::Error, 4},
    {EventId::NotConfigured, Severity::Informational, 2},
    {EventId::SiteFileMissing, Severity::Warning, 2},
    {EventId::SiteFileUnreadable, Severity::Error, 3},
    {EventId::SiteFileRefused, Severity::Error, 3},
    {EventId::TurnedOff, Severity::Informational, 1},
    {EventId::ToolFailed, Severity::Error, 3},
}};

}  // namespace

std::span<const EventKind> AllEventKinds() {
  return kKinds;
}

const EventKind& KindOf(EventId id) {
  return *std::find_if(kKinds.begin(), kKinds.end(),
                       [id](const EventKind& kind) { return kind.id == id; });
}

}  // namespace kv::service
