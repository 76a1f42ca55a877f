// The progress of the operation under way, counted where reports cross the
// HID seam (private to the library).
#pragma once

#include <kv7700/operation_cost.h>

#include <cstdint>

namespace kv {

// One public operation: the outermost scope names it and sets the reports
// expected; scopes inside it (a reset's read-back) add nothing.
class OperationScope {
 public:
  OperationScope(const char* operation, const OperationCost& cost);
  ~OperationScope();
  OperationScope(const OperationScope&) = delete;
  OperationScope& operator=(const OperationScope&) = delete;
};

// More reports than the outermost scope expected (discovery's reads once
// the sensors are known, a reset's repair).
void ExpectMoreReports(std::uint32_t reports);
// One feature report was exchanged (or tried).
void CountReport();

// The exchanges that carry one record, read or written: the key records take
// two (keys, then codes), the sonar and idle records one.
constexpr std::uint32_t ExchangesOf(RecordKind record) {
  return record == RecordKind::WalkAway || record == RecordKind::WalkUp ? 2 : 1;
}

}  // namespace kv
