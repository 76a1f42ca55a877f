#include "sensor_hold.h"

#include <kv7700/clock.h>
#include <kv7700/held_sensor.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

namespace kv {

namespace {

// Raised by CancelSensorWaits; a wait gives up when it changes.
std::atomic<std::uint32_t> cancelledWaits{0};

void NoteHolder(DeviceSlot& slot, const std::string& holder) {
  const std::size_t length = std::min(holder.size(), slot.Holder.size() - 1);
  std::memcpy(slot.Holder.data(), holder.data(), length);
  slot.Holder[length] = '\0';
}

// Takes the turn before the hold and keeps it while waiting: a holder that
// lets go and comes straight back then finds the turn taken and waits, so
// the waiter gets the sensor after at most one operation of the holder.
// Tries until the deadline (past it, once); without `wait`, once.
bool TakeOne(hid::HidLayer& layer, DeviceSlot& slot, std::uint64_t deadline, bool wait) {
  Clock& clock = GetClock();
  const std::uint32_t cancelled = cancelledWaits.load();
  std::string holder;
  bool turn = false;
  for (;;) {
    if (!turn) turn = layer.TryTakeTurn(slot.Handle);
    if (turn && layer.TryHold(slot.Handle)) {
      layer.GiveTurn(slot.Handle);
      NoteHolder(slot, {});
      return true;
    }
    // Asked while it is held: the holder may have left by the deadline.
    if (std::string now = layer.Holder(slot.Handle); !now.empty()) holder = std::move(now);
    if (!wait || clock.NowMs() >= deadline || cancelledWaits.load() != cancelled) {
      if (turn) layer.GiveTurn(slot.Handle);
      NoteHolder(slot, holder);
      return false;
    }
    clock.SleepMs(kSensorPollMs);
  }
}

}  // namespace

void CancelSensorWaits() {
  ++cancelledWaits;
}

SensorHold::SensorHold(std::int16_t index) {
  Take({index}, true);
}

SensorHold::SensorHold(const std::int16_t* indices, std::int16_t count) {
  Take(std::vector<std::int16_t>(indices, indices + std::max<std::int16_t>(count, 0)), false);
}

void SensorHold::Take(std::vector<std::int16_t> indices, bool wait) {
  LibState& state = GetLibState();
  std::erase_if(indices, [](std::int16_t index) { return index < 0 || index >= kMaxDevices; });
  const std::uint64_t deadline = GetClock().NowMs() + kSensorWaitMs;
  for (const std::int16_t index : indices) {
    DeviceSlot& slot = state.Slots[index];
    // Not open: the exchange itself fails and says so.
    if (!state.HidLayer || slot.Handle == hid::kInvalidHandle) continue;
    if (slot.HoldDepth == 0 && !TakeOne(*state.HidLayer, slot, deadline, wait)) {
      missed_.push_back(index);
      continue;
    }
    ++slot.HoldDepth;
    held_.emplace_back(index, slot.Handle);
  }
}

SensorHold::~SensorHold() {
  LibState& state = GetLibState();
  for (const auto& [index, handle] : held_) {
    DeviceSlot& slot = state.Slots[index];
    // The slot may have been emptied meanwhile; the handle still names it.
    if (slot.Handle != handle) {
      if (state.HidLayer) state.HidLayer->Release(handle);
      continue;
    }
    if (--slot.HoldDepth == 0 && state.HidLayer) state.HidLayer->Release(handle);
  }
}

bool SensorHold::Holds(std::int16_t index) const {
  return std::find(missed_.begin(), missed_.end(), index) == missed_.end();
}

}  // namespace kv
