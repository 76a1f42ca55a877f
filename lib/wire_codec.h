// The sensor's wire layout: command bytes, the 9-byte reports built from
// them, and the packing of the four records into report data bytes and back.
//
// A request is [0, command, 0 x 7]; a response or a data report is
// [0, D1 .. D8]. Write commands reuse the read command bytes, and a data
// report carries the same eight bytes, in the same places, as the response to
// the read. Every first data byte of a data report is masked below 0x80 so the
// sensor can tell it from a command.
#pragma once

#include <kv7700/hid.h>
#include <kv7700/records.h>

#include <array>
#include <cstdint>

namespace kv::wire {

// Record commands, read and write alike.
inline constexpr std::uint8_t kCmdSonar = 0x80;
inline constexpr std::uint8_t kCmdWalkAwayKeys = 0x81;   // count, delay, modifiers
inline constexpr std::uint8_t kCmdWalkAwayCodes = 0x82;  // flags, fault rate, key codes
inline constexpr std::uint8_t kCmdWalkUpKeys = 0x83;
inline constexpr std::uint8_t kCmdWalkUpCodes = 0x84;  // flags, reserved word, key codes
inline constexpr std::uint8_t kCmdIdle = 0x85;
inline constexpr std::uint8_t kCmdVersion = 0x8A;
inline constexpr std::uint8_t kCmdRange = 0x8F;
inline constexpr std::uint8_t kCmdCommit = 0x90;
inline constexpr std::uint8_t kCmdFactory = 0xA0;
inline constexpr std::uint8_t kCmdResume = 0xB0;
inline constexpr std::uint8_t kCmdHalt = 0xB1;
inline constexpr std::uint8_t kCmdRestoreUser = 0xD0;
inline constexpr std::uint8_t kCmdSaveUser = 0xE0;

// The eight data bytes D1..D8 of a response or a data report.
using Data = std::array<std::uint8_t, 8>;
static_assert(sizeof(Data) + 1 == hid::kReportLength);

// Bit n of the commit mask names the data report of command 0x80 + n.
constexpr std::uint8_t CommitBit(std::uint8_t command) {
  return static_cast<std::uint8_t>(1u << (command - kCmdSonar));
}
static_assert(CommitBit(kCmdSonar) == 0x01 && CommitBit(kCmdIdle) == 0x20);

hid::Report Request(std::uint8_t command);
hid::Report DataReport(const Data& data);
hid::Report CommitReport(std::uint8_t mask);
Data DataOf(const hid::Report& report);

// Distances: 3.472222 echo ticks per inch, rounded half up both ways.
std::uint8_t InchesToTicks(std::uint16_t inches);  // low 8 bits of the tick count
std::uint16_t TicksToInches(std::uint8_t ticks);

// Encoding of the cache into data reports. The walk-up codes half and the
// idle record carry the reserved words last received from a sensor instead of
// the cached ones.
Data PackSonar(const tsSonarParms& record);
Data PackWalkAwayKeys(const tsWalkAwayParms& record);
Data PackWalkAwayCodes(const tsWalkAwayParms& record);
Data PackWalkUpKeys(const tsWalkUpParms& record);
Data PackWalkUpCodes(const tsWalkUpParms& record, std::uint16_t lastReserved2WU);
Data PackIdle(const tsIdleParms& record, std::uint16_t lastReserved1I);

// Decoding of responses into the cache (each half fills its eight words).
void UnpackSonar(const Data& data, tsSonarParms* record);
void UnpackWalkAwayKeys(const Data& data, tsWalkAwayParms* record);
void UnpackWalkAwayCodes(const Data& data, tsWalkAwayParms* record);
void UnpackWalkUpKeys(const Data& data, tsWalkUpParms* record);
void UnpackWalkUpCodes(const Data& data, tsWalkUpParms* record);
void UnpackIdle(const Data& data, tsIdleParms* record);
// The firmware version of a 0x8A answer: D3 low byte, D4 high byte.
std::uint16_t UnpackVersion(const Data& data);
// A 0x8F answer: D1 status bits, D2 distance in ticks.
RangeInfo UnpackRange(const Data& data);

}  // namespace kv::wire
