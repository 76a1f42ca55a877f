// The cost of each operation, from the exchanges it is made of, and the
// progress of the one under way.
#include <kv7700/operation_cost.h>
#include <kv7700/sensor_facts.h>

#include <algorithm>
#include <utility>

#include "config_read.h"
#include "lib_state.h"
#include "operation_progress.h"

namespace kv {

namespace {

// An exchange is a request and its answer or data report.
constexpr std::uint32_t kReportsPerExchange = 2;

struct Running {
  const char* operation = "";
  std::uint32_t done = 0;
  std::uint32_t expected = 0;
  int depth = 0;
};

Running& Current() {
  static Running running;
  return running;
}

ProgressListener& Listener() {
  static ProgressListener listener;
  return listener;
}

std::uint32_t DataExchanges(const RecordFlags& records) {
  std::uint32_t exchanges = 0;
  for (RecordKind record : kRecordKinds) {
    if (records.Has(record)) exchanges += ExchangesOf(record);
  }
  return exchanges;
}

RecordFlags DirtyOf(const DeviceSlot& slot) {
  return {slot.SonarDirty != 0, slot.WalkAwayDirty != 0, slot.WalkUpDirty != 0,
          slot.IdleDirty != 0};
}

}  // namespace

OperationCost ReadCost(SensorIndex sensors) {
  const auto count = static_cast<std::uint32_t>(std::max<SensorIndex>(sensors, 0));
  return {count * kConfigReadExchanges * kReportsPerExchange, count > 0 ? kConfigReadMs : 0};
}

OperationCost ReadRecordsCost(const RecordFlags& records) {
  // One record after another, each exchange waiting on its own.
  const std::uint32_t exchanges = DataExchanges(records);
  return {exchanges * kReportsPerExchange, exchanges * kExchangeWaitMs};
}

OperationCost WriteCost(const RecordFlags& records) {
  // Each data write is a request and its data report; the commit follows.
  const std::uint32_t exchanges = DataExchanges(records);
  return {exchanges * kReportsPerExchange + 1, exchanges * kExchangeWaitMs};
}

OperationCost WriteCost() {
  return WriteCost(DirtyOf(CurrentSlot()));
}

OperationCost WriteCostOfSensors(const SensorIndex* indices, SensorIndex count) {
  if (!IsListOfOpenSensors(indices, count)) return {};
  OperationCost total;
  for (SensorIndex n = 0; n < count; ++n) {
    const OperationCost one = WriteCost(DirtyOf(GetLibState().Slots[indices[n]]));
    total.reports += one.reports;
    total.ms = std::max(total.ms, one.ms);  // in step: the longest plan
  }
  return total;
}

OperationCost MemoryCommandCost() {
  const OperationCost read = ReadCost();
  return {1 + read.reports, kMemoryCommandWaitMs + read.ms};
}

OperationCost RangeCost() {
  return {kReportsPerExchange, kExchangeWaitMs};
}

OperationCost ControlCost() {
  return {1, 0};
}

void SetProgressListener(ProgressListener listener) {
  Listener() = std::move(listener);
}

OperationScope::OperationScope(const char* operation, const OperationCost& cost) {
  Running& running = Current();
  if (running.depth++ == 0) running = {operation, 0, cost.reports, 1};
}

OperationScope::~OperationScope() {
  --Current().depth;
}

void ExpectMoreReports(std::uint32_t reports) {
  Current().expected += reports;
}

void CountReport() {
  Running& running = Current();
  if (running.depth == 0) return;
  ++running.done;
  // A report beyond the estimate stretches it rather than overrun it.
  running.expected = std::max(running.expected, running.done);
  if (Listener()) Listener()({running.operation, running.done, running.expected});
}

}  // namespace kv
