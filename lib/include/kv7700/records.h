// The sensor's four configuration records. Each is a fixed array of unsigned
// 16-bit words; the field names are also the keys of the template file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kv {

// The four records, in the order of RecordSet, of the template file and of
// the reports a write sends.
enum class RecordKind : std::uint8_t { Sonar, WalkAway, WalkUp, Idle };
inline constexpr std::array<RecordKind, 4> kRecordKinds = {RecordKind::Sonar, RecordKind::WalkAway,
                                                           RecordKind::WalkUp, RecordKind::Idle};

// What a record is called: its type (the template file's section line),
// the operations that take it from and give it to the cache, and the word a
// person knows it by.
struct RecordNames {
  std::string_view type;   // "tsSonarParms"
  std::string_view get;    // "GetSonarParms"
  std::string_view set;    // "SetSonarParms"
  std::string_view title;  // "sonar"
};

inline constexpr std::array<RecordNames, 4> kRecordNames = {{
    {"tsSonarParms", "GetSonarParms", "SetSonarParms", "sonar"},
    {"tsWalkAwayParms", "GetWalkAwayParms", "SetWalkAwayParms", "walk-away"},
    {"tsWalkUpParms", "GetWalkUpParms", "SetWalkUpParms", "walk-to"},
    {"tsIdleParms", "GetIdleParms", "SetIdleParms", "idle"},
}};

constexpr const RecordNames& NamesOf(RecordKind record) {
  return kRecordNames[static_cast<std::size_t>(record)];
}

struct tsSonarParms {
  std::uint16_t LEDFlagsS = 0;   // bits 0..2 each switch one indicator off
  std::uint16_t PingRateS = 0;   // ms, 200..1020
  std::uint16_t Reserved1S = 0;  // 40 kHz cycle count, read-only for the user
  std::uint16_t MinDistS = 0;    // inches, 1..59
  std::uint16_t MaxDistS = 0;    // inches, 15..60
  std::uint16_t ORDBTmS = 0;     // out-of-range debounce (s or min)
  std::uint16_t IRDBTmS = 0;     // in-range debounce (s or min)
  std::uint16_t StartDlyS = 0;   // cold-start delay, s
  bool operator==(const tsSonarParms&) const = default;
};

struct tsWalkAwayParms {
  std::uint16_t KeyCountWA = 0;       // 0..6
  std::uint16_t InterKeyDelayWA = 0;  // ms, 64..16320
  std::uint16_t Key1ModsWA = 0;
  std::uint16_t Key2ModsWA = 0;
  std::uint16_t Key3ModsWA = 0;
  std::uint16_t Key4ModsWA = 0;
  std::uint16_t Key5ModsWA = 0;
  std::uint16_t Key6ModsWA = 0;
  std::uint16_t Flags0WA = 0;       // bit 0: ORDBTmS counts minutes
  std::uint16_t MinFltRepRate = 0;  // s
  std::uint16_t Key1CodeWA = 0;
  std::uint16_t Key2CodeWA = 0;
  std::uint16_t Key3CodeWA = 0;
  std::uint16_t Key4CodeWA = 0;
  std::uint16_t Key5CodeWA = 0;
  std::uint16_t Key6CodeWA = 0;
  bool operator==(const tsWalkAwayParms&) const = default;
};

struct tsWalkUpParms {
  std::uint16_t KeyCountWU = 0;
  std::uint16_t InterKeyDelayWU = 0;
  std::uint16_t Key1ModsWU = 0;
  std::uint16_t Key2ModsWU = 0;
  std::uint16_t Key3ModsWU = 0;
  std::uint16_t Key4ModsWU = 0;
  std::uint16_t Key5ModsWU = 0;
  std::uint16_t Key6ModsWU = 0;
  std::uint16_t Flags0WU = 0;     // bit 0: IRDBTmS counts minutes
  std::uint16_t Reserved2WU = 0;  // never sent from the cache
  std::uint16_t Key1CodeWU = 0;
  std::uint16_t Key2CodeWU = 0;
  std::uint16_t Key3CodeWU = 0;
  std::uint16_t Key4CodeWU = 0;
  std::uint16_t Key5CodeWU = 0;
  std::uint16_t Key6CodeWU = 0;
  bool operator==(const tsWalkUpParms&) const = default;
};

struct tsIdleParms {
  std::uint16_t Reserved1I = 0;  // never sent from the cache
  std::uint16_t PressRateI = 0;  // s, 0 disables the keep-alive key
  std::uint16_t Key1ModsI = 0;
  std::uint16_t Key1CodeI = 0;
  std::uint16_t FlagsI = 0;      // bit 0: detect dead target; bit 1: near target is a fault
  std::uint16_t DMTODeltaI = 0;  // echo ticks
  std::uint16_t DMTOTmI = 0;     // s
  std::uint16_t SNBlankTmI = 0;  // 43 us units
  bool operator==(const tsIdleParms&) const = default;
};

static_assert(sizeof(tsSonarParms) == 8 * sizeof(std::uint16_t));
static_assert(sizeof(tsWalkAwayParms) == 16 * sizeof(std::uint16_t));
static_assert(sizeof(tsWalkUpParms) == 16 * sizeof(std::uint16_t));
static_assert(sizeof(tsIdleParms) == 8 * sizeof(std::uint16_t));

// Word-wise access to a record: RecordWords<R>::kWords[i] is word i.
template <class R>
struct RecordWords;

template <>
struct RecordWords<tsSonarParms> {
  using R = tsSonarParms;
  static constexpr std::array<std::uint16_t R::*, 8> kWords = {
      &R::LEDFlagsS, &R::PingRateS, &R::Reserved1S, &R::MinDistS,
      &R::MaxDistS,  &R::ORDBTmS,   &R::IRDBTmS,    &R::StartDlyS};
};

template <>
struct RecordWords<tsWalkAwayParms> {
  using R = tsWalkAwayParms;
  static constexpr std::array<std::uint16_t R::*, 16> kWords = {
      &R::KeyCountWA, &R::InterKeyDelayWA, &R::Key1ModsWA, &R::Key2ModsWA,
      &R::Key3ModsWA, &R::Key4ModsWA,      &R::Key5ModsWA, &R::Key6ModsWA,
      &R::Flags0WA,   &R::MinFltRepRate,   &R::Key1CodeWA, &R::Key2CodeWA,
      &R::Key3CodeWA, &R::Key4CodeWA,      &R::Key5CodeWA, &R::Key6CodeWA};
};

template <>
struct RecordWords<tsWalkUpParms> {
  using R = tsWalkUpParms;
  static constexpr std::array<std::uint16_t R::*, 16> kWords = {
      &R::KeyCountWU, &R::InterKeyDelayWU, &R::Key1ModsWU, &R::Key2ModsWU,
      &R::Key3ModsWU, &R::Key4ModsWU,      &R::Key5ModsWU, &R::Key6ModsWU,
      &R::Flags0WU,   &R::Reserved2WU,     &R::Key1CodeWU, &R::Key2CodeWU,
      &R::Key3CodeWU, &R::Key4CodeWU,      &R::Key5CodeWU, &R::Key6CodeWU};
};

template <>
struct RecordWords<tsIdleParms> {
  using R = tsIdleParms;
  static constexpr std::array<std::uint16_t R::*, 8> kWords = {
      &R::Reserved1I, &R::PressRateI, &R::Key1ModsI, &R::Key1CodeI,
      &R::FlagsI,     &R::DMTODeltaI, &R::DMTOTmI,   &R::SNBlankTmI};
};

template <class R>
constexpr std::size_t WordCount() {
  return RecordWords<R>::kWords.size();
}

template <class R>
std::uint16_t& Word(R& record, std::size_t index) {
  return record.*RecordWords<R>::kWords[index];
}

template <class R>
std::uint16_t Word(const R& record, std::size_t index) {
  return record.*RecordWords<R>::kWords[index];
}

// The walk-away and walk-up records share one layout of key words; this
// names the words that differ only by suffix, so their twin code is shared.
template <class R>
struct KeyRecord;

template <>
struct KeyRecord<tsWalkAwayParms> {
  using R = tsWalkAwayParms;
  static constexpr std::uint16_t R::*kCount = &R::KeyCountWA;
  static constexpr std::uint16_t R::*kDelay = &R::InterKeyDelayWA;
  static constexpr std::uint16_t R::*kFlags0 = &R::Flags0WA;
  static constexpr std::array<std::uint16_t R::*, 6> kMods = {&R::Key1ModsWA, &R::Key2ModsWA,
                                                              &R::Key3ModsWA, &R::Key4ModsWA,
                                                              &R::Key5ModsWA, &R::Key6ModsWA};
  static constexpr std::array<std::uint16_t R::*, 6> kCodes = {&R::Key1CodeWA, &R::Key2CodeWA,
                                                               &R::Key3CodeWA, &R::Key4CodeWA,
                                                               &R::Key5CodeWA, &R::Key6CodeWA};
};

template <>
struct KeyRecord<tsWalkUpParms> {
  using R = tsWalkUpParms;
  static constexpr std::uint16_t R::*kCount = &R::KeyCountWU;
  static constexpr std::uint16_t R::*kDelay = &R::InterKeyDelayWU;
  static constexpr std::uint16_t R::*kFlags0 = &R::Flags0WU;
  static constexpr std::array<std::uint16_t R::*, 6> kMods = {&R::Key1ModsWU, &R::Key2ModsWU,
                                                              &R::Key3ModsWU, &R::Key4ModsWU,
                                                              &R::Key5ModsWU, &R::Key6ModsWU};
  static constexpr std::array<std::uint16_t R::*, 6> kCodes = {&R::Key1CodeWU, &R::Key2CodeWU,
                                                               &R::Key3CodeWU, &R::Key4CodeWU,
                                                               &R::Key5CodeWU, &R::Key6CodeWU};
};

// A whole configuration: the four records of one sensor.
struct RecordSet {
  tsSonarParms Sonar;
  tsWalkAwayParms WalkAway;
  tsWalkUpParms WalkUp;
  tsIdleParms Idle;
  bool operator==(const RecordSet&) const = default;
};

// Whether record `record` of `a` and `b` holds the same words.
constexpr bool SameRecord(const RecordSet& a, const RecordSet& b, RecordKind record) {
  switch (record) {
    case RecordKind::Sonar:
      return a.Sonar == b.Sonar;
    case RecordKind::WalkAway:
      return a.WalkAway == b.WalkAway;
    case RecordKind::WalkUp:
      return a.WalkUp == b.WalkUp;
    case RecordKind::Idle:
      return a.Idle == b.Idle;
  }
  return true;
}

// One flag per record: which records a sensor holds unwritten, which a load
// took.
struct RecordFlags {
  bool sonar = false;
  bool walkAway = false;
  bool walkUp = false;
  bool idle = false;
  bool operator==(const RecordFlags&) const = default;
  constexpr bool Has(RecordKind record) const {
    switch (record) {
      case RecordKind::Sonar:
        return sonar;
      case RecordKind::WalkAway:
        return walkAway;
      case RecordKind::WalkUp:
        return walkUp;
      case RecordKind::Idle:
        return idle;
    }
    return false;
  }
  constexpr void Mark(RecordKind record) {
    switch (record) {
      case RecordKind::Sonar:
        sonar = true;
        break;
      case RecordKind::WalkAway:
        walkAway = true;
        break;
      case RecordKind::WalkUp:
        walkUp = true;
        break;
      case RecordKind::Idle:
        idle = true;
        break;
    }
  }
  constexpr bool Any() const { return sonar || walkAway || walkUp || idle; }
  // The flags of `record` alone.
  static constexpr RecordFlags Only(RecordKind record) {
    return {record == RecordKind::Sonar, record == RecordKind::WalkAway,
            record == RecordKind::WalkUp, record == RecordKind::Idle};
  }
};

// A live distance reading (GetRangeInfo).
struct RangeInfo {
  std::uint16_t Distance = 0;  // inches
  std::uint16_t InRange = 0;   // 0 or 1
  std::uint16_t StatusBit1 = 0;
  std::uint16_t StatusBit2 = 0;
  bool operator==(const RangeInfo&) const = default;
};

// Record limits enforced by the checks.
inline constexpr std::uint16_t kPingRateMin = 200;
inline constexpr std::uint16_t kPingRateMax = 1020;
inline constexpr std::uint16_t kMinDistMin = 1;
inline constexpr std::uint16_t kMinDistMax = 59;
inline constexpr std::uint16_t kMaxDistMin = 15;
inline constexpr std::uint16_t kMaxDistMax = 60;
inline constexpr std::uint16_t kKeyCountMax = 6;
inline constexpr std::uint16_t kInterKeyDelayMin = 64;
inline constexpr std::uint16_t kInterKeyDelayMax = 16320;

}  // namespace kv
