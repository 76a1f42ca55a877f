// What the sensor's firmware does, named once for the library and the tools
// above it: which firmware offers what, how long the sensor needs, the unit
// of its distances and the meaning of its flag bits. (The emulated sensor
// keeps its own copies on purpose, so a wrong fact here cannot hide behind it.)
#pragma once

#include <cstdint>

namespace kv {

// --- Firmware versions (major in the high byte, minor in the low byte) ---
// LED indicator switches, and in-range and out-of-range delays in words of
// their own (0 to 255 s); older firmware packs both delays into ORDBTmS.
inline constexpr std::uint16_t kFwSeparateDelays = 0x0143;
// Below it ORDBTmS holds both delays, in-range in the high nibble and
// out-of-range in the low one, and IRDBTmS is unused.
inline constexpr unsigned kPackedInRangeShift = 4;
inline constexpr std::uint16_t kPackedDelayMask = 0x0F;
// Answers the live range query (0x8F).
inline constexpr std::uint16_t kFwRangeReading = 0x0144;
// Keeps user defaults (commands 0xD0 and 0xE0).
inline constexpr std::uint16_t kFwUserDefaults = 0x0400;
// The lowest hexadecimal digit of the version: 2 marks the reduced variant
// without distance controls, 0 the full one.
inline constexpr std::uint16_t kFwVariantMask = 0x000F;
inline constexpr std::uint16_t kFwVariantFull = 0;
inline constexpr std::uint16_t kFwVariantReduced = 2;

// --- Timing ---------------------------------------------------------------
// The sensor needs 250 ms to prepare an answer or to take a data report.
inline constexpr std::uint32_t kExchangeWaitMs = 250;
// A memory command (factory, restore or save defaults) rewrites the sensor's
// configuration; it is read back only after 2000 ms.
inline constexpr std::uint32_t kMemoryCommandWaitMs = 2000;
// After a halt or resume of its key sends the sensor settles for 2000 ms;
// the sender keeps the sensor meanwhile.
inline constexpr std::uint32_t kKeySendSettleMs = 2000;
// A configuration read: four records and the version in seven exchanges.
inline constexpr std::uint32_t kConfigReadExchanges = 7;
inline constexpr std::uint32_t kConfigReadMs = kConfigReadExchanges * kExchangeWaitMs;
// One program talks to a sensor at a time. Another waits for its turn this
// long at most: the longest conversation (a factory reset with its write and
// two read-backs, about 7 s) several times over, so a few programs can go
// first. It tries again every 50 ms.
inline constexpr std::uint32_t kSensorWaitMs = 20000;
inline constexpr std::uint32_t kSensorWaitSeconds = kSensorWaitMs / 1000;
inline constexpr std::uint32_t kSensorPollMs = 50;

// --- Distances ------------------------------------------------------------
// The sensor measures distance in echo ticks.
inline constexpr double kTicksPerInch = 3.472222;

// --- Flag bits --------------------------------------------------------------
// LEDFlagsS: a set bit switches that indicator off.
inline constexpr std::uint16_t kLedNoInRange = 0x01;
inline constexpr std::uint16_t kLedNoOutOfRange = 0x02;
inline constexpr std::uint16_t kLedNoTransition = 0x04;
// Flags0WA (for ORDBTmS) and Flags0WU (for IRDBTmS): the delay counts minutes.
inline constexpr std::uint16_t kDelayInMinutes = 0x01;
// FlagsI.
inline constexpr std::uint16_t kIdleDetectDeadTarget = 0x01;
inline constexpr std::uint16_t kIdleNearTargetFault = 0x02;

}  // namespace kv
