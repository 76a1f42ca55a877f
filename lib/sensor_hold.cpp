#include "sensor_hold.h"

#include <kv7700/clock.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

namespace {

// Paths compared without regard to case, as Windows names one interface
// both ways; the order only has to be the same in every program.
bool PathBefore(std::int16_t a, std::int16_t b) {
  const LibState& state = GetLibState();
  const std::string_view left = state.Slots[a].DevicePath.data();
  const std::string_view right = state.Slots[b].DevicePath.data();
  const auto lower = [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  };
  if (std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(), lower)) {
    return true;
  }
  if (std::lexicographical_compare(right.begin(), right.end(), left.begin(), left.end(), lower)) {
    return false;
  }
  return a < b;
}

void NoteHolder(DeviceSlot& slot, const std::string& holder) {
  const std::size_t length = std::min(holder.size(), slot.Holder.size() - 1);
  std::memcpy(slot.Holder.data(), holder.data(), length);
  slot.Holder[length] = '\0';
}

// Tries until the deadline; past it, once.
bool TakeOne(hid::HidLayer& layer, DeviceSlot& slot, std::uint64_t deadline) {
  Clock& clock = GetClock();
  std::string holder;
  while (!layer.TryHold(slot.Handle)) {
    // Asked while it is held: the holder may have left by the deadline.
    if (std::string now = layer.Holder(slot.Handle); !now.empty()) holder = std::move(now);
    if (clock.NowMs() >= deadline) {
      NoteHolder(slot, holder);
      return false;
    }
    clock.SleepMs(kSensorPollMs);
  }
  NoteHolder(slot, {});
  return true;
}

}  // namespace

SensorHold::SensorHold(std::int16_t index) {
  Take({index});
}

SensorHold::SensorHold(const std::int16_t* indices, std::int16_t count) {
  Take(std::vector<std::int16_t>(indices, indices + std::max<std::int16_t>(count, 0)));
}

void SensorHold::Take(std::vector<std::int16_t> indices) {
  LibState& state = GetLibState();
  std::erase_if(indices, [](std::int16_t index) { return index < 0 || index >= kMaxDevices; });
  std::sort(indices.begin(), indices.end(), PathBefore);
  const std::uint64_t deadline = GetClock().NowMs() + kSensorWaitMs;
  for (const std::int16_t index : indices) {
    DeviceSlot& slot = state.Slots[index];
    // Not open: the exchange itself fails and says so.
    if (!state.HidLayer || slot.Handle == hid::kInvalidHandle) continue;
    if (slot.HoldDepth == 0 && !TakeOne(*state.HidLayer, slot, deadline)) {
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
