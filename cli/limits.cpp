#include "limits.h"

#include <kv7700/records.h>
#include <kv7700/status_codes.h>

#include <array>

namespace kv::cli {

namespace {

constexpr std::array<FieldLimit, 7> kLimits = {{
    {kErrPingRate, "PingRateS", kPingRateMin, kPingRateMax},
    {kErrMinDist, "MinDistS", kMinDistMin, kMinDistMax},
    {kErrMaxDist, "MaxDistS", kMaxDistMin, kMaxDistMax},
    {kErrKeyCountWA, "KeyCountWA", 0, kKeyCountMax},
    {kErrDelayWA, "InterKeyDelayWA", kInterKeyDelayMin, kInterKeyDelayMax},
    {kErrKeyCountWU, "KeyCountWU", 0, kKeyCountMax},
    {kErrDelayWU, "InterKeyDelayWU", kInterKeyDelayMin, kInterKeyDelayMax},
}};

}  // namespace

const FieldLimit* LimitForStatus(std::uint32_t devError) {
  for (const FieldLimit& limit : kLimits) {
    if ((devError & 0xFFFF) == limit.code) return &limit;
  }
  return nullptr;
}

const FieldLimit* LimitForField(std::string_view field) {
  for (const FieldLimit& limit : kLimits) {
    if (limit.field == field) return &limit;
  }
  return nullptr;
}

}  // namespace kv::cli
