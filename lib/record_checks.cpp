// Range checks of the configuration records. One place for both uses: the
// Set operations reject a bad record, the configuration read clamps what a
// sensor reports.
#include "lib_state.h"

namespace kv {

namespace {

// The records hold words; their limits are compared as signed 16-bit numbers,
// so 0x8000 and above count as negative (below any minimum).
std::int16_t Signed(std::uint16_t word) {
  return static_cast<std::int16_t>(word);
}

// Checks one field against [low, high]. Out of range: in clamp mode the
// field is forced to `belowValue` or `aboveValue` and the check goes on; in
// reject mode `code` is ORed into DevError and the check stops.
bool CheckField(std::uint16_t* field, std::int16_t low, std::int16_t high, std::uint16_t belowValue,
                std::uint16_t aboveValue, std::uint32_t code, std::uint32_t clamp) {
  const std::int16_t value = Signed(*field);
  if (value >= low && value <= high) return true;
  if (!clamp) {
    CurrentSlot().DevError |= code;
    return false;
  }
  *field = value < low ? belowValue : aboveValue;
  return true;
}

bool CheckRange(std::uint16_t* field, std::uint16_t low, std::uint16_t high, std::uint32_t code,
                std::uint32_t clamp) {
  return CheckField(field, Signed(low), Signed(high), low, high, code, clamp);
}

// A key count outside 0 to 6 clamps to 0 (no keys typed), not to 6. A count
// of 0x8000 or more is refused like one above six: on the wire it would
// become a count of up to 15 keys.
bool CheckKeyCount(std::uint16_t* field, std::uint32_t code, std::uint32_t clamp) {
  return CheckField(field, 0, Signed(kKeyCountMax), 0, 0, code, clamp);
}

template <class R>
int CheckKeyRecord(R* record, std::uint32_t countCode, std::uint32_t delayCode,
                   std::uint32_t clamp) {
  if (!record) return 0;
  if (!CheckKeyCount(&(record->*KeyRecord<R>::kCount), countCode, clamp)) return 0;
  if (!CheckRange(&(record->*KeyRecord<R>::kDelay), kInterKeyDelayMin, kInterKeyDelayMax, delayCode,
                  clamp)) {
    return 0;
  }
  return 1;
}

}  // namespace

int CheckSonarParms(tsSonarParms* record, std::uint32_t clamp) {
  if (!record) return 0;
  if (!CheckRange(&record->PingRateS, kPingRateMin, kPingRateMax, kErrPingRate, clamp)) return 0;
  if (!CheckRange(&record->MinDistS, kMinDistMin, kMinDistMax, kErrMinDist, clamp)) return 0;
  if (!CheckRange(&record->MaxDistS, kMaxDistMin, kMaxDistMax, kErrMaxDist, clamp)) return 0;
  return 1;
}

int CheckWalkAwayParms(tsWalkAwayParms* record, std::uint32_t clamp) {
  return CheckKeyRecord(record, kErrKeyCountWA, kErrDelayWA, clamp);
}

int CheckWalkUpParms(tsWalkUpParms* record, std::uint32_t clamp) {
  return CheckKeyRecord(record, kErrKeyCountWU, kErrDelayWU, clamp);
}

}  // namespace kv
