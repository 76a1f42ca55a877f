#include "wire_codec.h"

#include <kv7700/sensor_facts.h>
#include <kv7700/template_fields.h>

#include <cmath>

namespace kv::wire {

namespace {

constexpr unsigned kPingRateUnitMs = 4;
constexpr unsigned kDelayShift = 6;  // inter-key delays travel in 64 ms units

std::uint8_t Low8(unsigned value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}
std::uint8_t Masked(unsigned value, std::uint8_t mask) {
  return Low8(value & mask);
}

// Key halves of walk-away and walk-up share one layout: words 0..7 are
// D1 count, D2 delay, D3..D8 modifiers; words 8..15 are D1 flags, D2 (fault
// rate or reserved word), D3..D8 key codes.
template <class R>
Data PackKeys(const R& record) {
  Data data{};
  data[0] = Masked(record.*KeyRecord<R>::kCount, kKeyCountWireBits);
  data[1] = Low8((record.*KeyRecord<R>::kDelay) >> kDelayShift);
  for (std::size_t i = 0; i < 6; ++i) data[2 + i] = Low8(record.*KeyRecord<R>::kMods[i]);
  return data;
}

template <class R>
Data PackCodes(const R& record, std::uint16_t word9) {
  Data data{};
  data[0] = Masked(record.*KeyRecord<R>::kFlags0, kFlags0WireBits);
  data[1] = Low8(word9);
  for (std::size_t i = 0; i < 6; ++i) data[2 + i] = Low8(record.*KeyRecord<R>::kCodes[i]);
  return data;
}

template <class R>
void UnpackKeys(const Data& data, R* record) {
  record->*KeyRecord<R>::kCount = data[0] & kKeyCountWireBits;
  record->*KeyRecord<R>::kDelay = static_cast<std::uint16_t>(data[1] << kDelayShift);
  for (std::size_t i = 0; i < 6; ++i) record->*KeyRecord<R>::kMods[i] = data[2 + i];
}

// Words 8..15 as received, all eight bits of the flags included.
template <class R>
void UnpackCodes(const Data& data, R* record) {
  for (std::size_t i = 0; i < data.size(); ++i) Word(*record, 8 + i) = data[i];
}

}  // namespace

hid::Report Request(std::uint8_t command) {
  hid::Report report{};
  report[1] = command;
  return report;
}

hid::Report DataReport(const Data& data) {
  hid::Report report{};
  for (std::size_t i = 0; i < data.size(); ++i) report[1 + i] = data[i];
  return report;
}

hid::Report CommitReport(std::uint8_t mask) {
  hid::Report report = Request(kCmdCommit);
  report[2] = mask;
  return report;
}

Data DataOf(const hid::Report& report) {
  Data data{};
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = report[1 + i];
  return data;
}

std::uint8_t InchesToTicks(std::uint16_t inches) {
  return Low8(static_cast<unsigned>(std::floor(inches * kTicksPerInch + 0.5)));
}

std::uint16_t TicksToInches(std::uint8_t ticks) {
  return static_cast<std::uint16_t>(std::floor(ticks / kTicksPerInch + 0.5));
}

Data PackSonar(const tsSonarParms& r) {
  return Data{Masked(r.LEDFlagsS, kLedFlagsWireBits),
              Low8(r.PingRateS / kPingRateUnitMs),
              Low8(r.Reserved1S),
              InchesToTicks(r.MinDistS),
              InchesToTicks(r.MaxDistS),
              Low8(r.ORDBTmS),
              Low8(r.IRDBTmS),
              Low8(r.StartDlyS)};
}

Data PackWalkAwayKeys(const tsWalkAwayParms& record) {
  return PackKeys(record);
}

Data PackWalkAwayCodes(const tsWalkAwayParms& record) {
  return PackCodes(record, record.MinFltRepRate);
}

Data PackWalkUpKeys(const tsWalkUpParms& record) {
  return PackKeys(record);
}

Data PackWalkUpCodes(const tsWalkUpParms& record, std::uint16_t lastReserved2WU) {
  return PackCodes(record, lastReserved2WU);
}

Data PackIdle(const tsIdleParms& r, std::uint16_t lastReserved1I) {
  return Data{Masked(lastReserved1I, kReserved1IWireBits),
              Low8(r.PressRateI),
              Low8(r.Key1ModsI),
              Low8(r.Key1CodeI),
              Low8(r.FlagsI),
              Low8(r.DMTODeltaI),
              Low8(r.DMTOTmI),
              Low8(r.SNBlankTmI)};
}

void UnpackSonar(const Data& data, tsSonarParms* r) {
  r->LEDFlagsS = data[0] & kLedFlagsWireBits;
  r->PingRateS = static_cast<std::uint16_t>(data[1] * kPingRateUnitMs);
  r->Reserved1S = data[2];
  r->MinDistS = TicksToInches(data[3]);
  r->MaxDistS = TicksToInches(data[4]);
  r->ORDBTmS = data[5];
  r->IRDBTmS = data[6];
  r->StartDlyS = data[7];
}

void UnpackWalkAwayKeys(const Data& data, tsWalkAwayParms* record) {
  UnpackKeys(data, record);
}
void UnpackWalkAwayCodes(const Data& data, tsWalkAwayParms* record) {
  UnpackCodes(data, record);
}
void UnpackWalkUpKeys(const Data& data, tsWalkUpParms* record) {
  UnpackKeys(data, record);
}
void UnpackWalkUpCodes(const Data& data, tsWalkUpParms* record) {
  UnpackCodes(data, record);
}

void UnpackIdle(const Data& data, tsIdleParms* record) {
  for (std::size_t i = 0; i < data.size(); ++i) Word(*record, i) = data[i];
}

std::uint16_t UnpackVersion(const Data& data) {
  return static_cast<std::uint16_t>(data[2] | (data[3] << 8));
}

RangeInfo UnpackRange(const Data& data) {
  RangeInfo info;
  info.Distance = TicksToInches(data[1]);
  info.InRange = data[0] & 0x01;
  info.StatusBit1 = (data[0] >> 1) & 0x01;
  info.StatusBit2 = (data[0] >> 2) & 0x01;
  return info;
}

}  // namespace kv::wire
