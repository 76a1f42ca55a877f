// Feeds arbitrary sensor answers to ReadDevCfg. The fake sensor takes every
// reply from the fuzzer's bytes, so any answer (and any failed exchange) is
// possible. Checks: nothing crashes, the result agrees with DevError, and after
// a successful read every range-checked field lies inside its limits.
#include <kv7700/clock.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "lib_state.h"

namespace {

using namespace kv;

// The fuzzer's bytes, consumed one exchange at a time. Running out of bytes
// makes every further exchange fail.
struct Script {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  bool Take(std::uint8_t* out) {
    if (size == 0) return false;
    *out = *data++;
    --size;
    return true;
  }
};

constexpr std::uint8_t kFailMarker = 0xFF;  // a control byte that fails the exchange
constexpr hid::Handle kSensorHandle = 1;

class ScriptedLayer final : public hid::HidLayer {
 public:
  explicit ScriptedLayer(Script* script) : script_(script) {}
  hid::Handle Open(const std::string&, hid::OpenFailure*) override { return kSensorHandle; }
  void Close(hid::Handle) override {}
  bool GetAttributes(hid::Handle, hid::Attributes*) override { return false; }
  bool TryHold(hid::Handle) override { return true; }
  void Release(hid::Handle) override {}
  std::string Holder(hid::Handle) override { return {}; }
  bool TryTakeTurn(hid::Handle) override { return true; }
  void GiveTurn(hid::Handle) override {}
  bool SetFeature(hid::Handle, const hid::Report&) override {
    std::uint8_t control = 0;
    return script_->Take(&control) && control != kFailMarker;
  }
  bool GetFeature(hid::Handle, hid::Report* report) override {
    std::uint8_t control = 0;
    if (!script_->Take(&control) || control == kFailMarker) return false;
    for (std::size_t i = 1; i < report->size(); ++i) {
      if (!script_->Take(&(*report)[i])) return false;
    }
    return true;
  }

 private:
  Script* script_;
};

class ScriptedPlatform final : public hid::Platform {
 public:
  Script script;
  hid::LoadResult LoadHid(std::unique_ptr<hid::HidLayer>* out) override {
    *out = std::make_unique<ScriptedLayer>(&script);
    return hid::LoadResult::Ok;
  }
  hid::LoadResult LoadDeviceList(std::unique_ptr<hid::DeviceList>*) override {
    return hid::LoadResult::LibraryMissing;
  }
  bool PathNamesSensor(const std::string&) override { return true; }
};

void Require(bool condition) {
  if (!condition) std::abort();
}

template <class T>
bool Within(std::uint16_t value, T low, T high) {
  return value >= low && value <= high;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static VirtualClock clock;  // the 250 ms waits cost no time
  static ScriptedPlatform platform;
  SetClock(&clock);
  hid::SetPlatform(&platform);

  CloseAllDevices();
  LibState& state = GetLibState();
  Require(platform.LoadHid(&state.HidLayer) == hid::LoadResult::Ok);
  DeviceSlot slot = EmptySlot();
  slot.Handle = kSensorHandle;
  slot.FwVersion = 0x0100;
  Require(UpdateSlotTable(&slot, 0) == 1);

  platform.script = Script{data, size};
  const int result = ReadDevCfg();
  const DeviceSlot& read = CurrentSlot();

  if (result == 1) {
    Require(read.DevError == 0);
    Require(read.RecordsValid == 1);
    Require(Within(read.Records.Sonar.PingRateS, kPingRateMin, kPingRateMax));
    Require(Within(read.Records.Sonar.MinDistS, kMinDistMin, kMinDistMax));
    Require(Within(read.Records.Sonar.MaxDistS, kMaxDistMin, kMaxDistMax));
    Require(read.Records.Sonar.LEDFlagsS <= 0x7F);
    Require(read.Records.WalkAway.KeyCountWA <= kKeyCountMax);
    Require(Within(read.Records.WalkAway.InterKeyDelayWA, kInterKeyDelayMin, kInterKeyDelayMax));
    Require(read.Records.WalkUp.KeyCountWU <= kKeyCountMax);
    Require(Within(read.Records.WalkUp.InterKeyDelayWU, kInterKeyDelayMin, kInterKeyDelayMax));
    Require(state.LastReserved2WU == read.Records.WalkUp.Reserved2WU);
    Require(state.LastReserved1I == read.Records.Idle.Reserved1I);
  } else {
    Require((read.DevError & kGroupRead) != 0);
  }

  CloseAllDevices();
  hid::SetPlatform(nullptr);
  SetClock(nullptr);
  return 0;
}
