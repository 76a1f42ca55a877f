#include <kv7700/hid.h>

#include <atomic>

namespace kv::hid {

namespace {

// What a program that installed no platform gets: no HID layer and no
// device list, so the library reports the HID library as missing rather
// than reach for hardware it was not given.
class NoPlatform final : public Platform {
 public:
  LoadResult LoadHid(std::unique_ptr<HidLayer>*) override { return LoadResult::LibraryMissing; }
  LoadResult LoadDeviceList(std::unique_ptr<DeviceList>*) override {
    return LoadResult::LibraryMissing;
  }
  bool PathNamesSensor(const std::string&) override { return false; }
};

std::atomic<Platform*> g_platform{nullptr};

}  // namespace

Platform& GetPlatform() {
  static NoPlatform none;
  Platform* platform = g_platform.load();
  return platform ? *platform : none;
}

void SetPlatform(Platform* platform) {
  g_platform = platform;
}

}  // namespace kv::hid
