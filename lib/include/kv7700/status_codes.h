// Status words. DevError is per sensor, LibError library-wide; 0 is success.
// A group bit names the failing operation and is ORed with the code of the
// exchange or range check that failed (0x20102: the configuration read failed
// because the get-feature call failed).
#pragma once

#include <cstdint>

namespace kv {

// DevError: feature exchanges (assigned, not combined).
inline constexpr std::uint32_t kErrGetNoHandle = 0x100;
inline constexpr std::uint32_t kErrGetNoEntry = 0x101;
inline constexpr std::uint32_t kErrGetFailed = 0x102;
inline constexpr std::uint32_t kErrSetNoHandle = 0x200;
inline constexpr std::uint32_t kErrSetNoEntry = 0x201;
inline constexpr std::uint32_t kErrSetFailed = 0x202;
// Another program kept the sensor for longer than the wait for it allows.
inline constexpr std::uint32_t kErrSensorInUse = 0x300;
// DevError: record checks.
inline constexpr std::uint32_t kErrPingRate = 0x1000;
inline constexpr std::uint32_t kErrMinDist = 0x1001;
inline constexpr std::uint32_t kErrMaxDist = 0x1002;
inline constexpr std::uint32_t kErrKeyCountWA = 0x1010;
inline constexpr std::uint32_t kErrDelayWA = 0x1011;
inline constexpr std::uint32_t kErrKeyCountWU = 0x1020;
inline constexpr std::uint32_t kErrDelayWU = 0x1021;
// The parts of a DevError below its group bits: the code of a failed exchange,
// or of a failed record check.
inline constexpr std::uint32_t kExchangeCodeMask = 0xFFF;
inline constexpr std::uint32_t kCheckCodeMask = 0xFFFF;
// DevError: operation groups.
inline constexpr std::uint32_t kGroupRead = 0x20000;
inline constexpr std::uint32_t kGroupWrite = 0x40000;
inline constexpr std::uint32_t kGroupMemoryCommand = 0x80000;
inline constexpr std::uint32_t kGroupGet = 0x100000;
inline constexpr std::uint32_t kErrGetNullPointer = 0x100001;
inline constexpr std::uint32_t kErrGetNotRead = 0x100002;
inline constexpr std::uint32_t kGroupSet = 0x200000;
inline constexpr std::uint32_t kErrSetNullPointer = 0x200001;
inline constexpr std::uint32_t kGroupRange = 0x1000000;

// LibError.
inline constexpr std::uint32_t kLibErrSetupLoad = 1;
inline constexpr std::uint32_t kLibErrSetupEntry = 2;
inline constexpr std::uint32_t kLibErrHidLoad = 3;
inline constexpr std::uint32_t kLibErrHidEntry = 4;
inline constexpr std::uint32_t kLibErrListFailed = 6;
inline constexpr std::uint32_t kLibErrEndOfList = 7;
inline constexpr std::uint32_t kLibErrDetailSize = 8;
inline constexpr std::uint32_t kLibErrDetailAlloc = 9;
inline constexpr std::uint32_t kLibErrNotSensor = 10;
inline constexpr std::uint32_t kLibErrOpenFailed = 11;
inline constexpr std::uint32_t kLibErrDetailRead = 12;
inline constexpr std::uint32_t kGroupOpenAll = 0x10000;
inline constexpr std::uint32_t kLibErrSendControl = 0x2000000;

}  // namespace kv
