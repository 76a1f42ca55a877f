// The native platform of a build without a hardware backend (the fuzz
// build, say): no interface is ever present and nothing is ever plugged in,
// so the library reports "no sensor" honestly; emulated sensors still work.
#include <kv7700/native_hid.h>

#include <cerrno>

namespace kv::hid {

namespace {

class EmptyList final : public DeviceList {
 public:
  bool List(std::vector<InterfaceEntry>* out) override {
    out->clear();
    return true;
  }
};

class NoHardware final : public Platform {
 public:
  LoadResult LoadHid(std::unique_ptr<HidLayer>*) override { return LoadResult::LibraryMissing; }
  LoadResult LoadDeviceList(std::unique_ptr<DeviceList>* out) override {
    *out = std::make_unique<EmptyList>();
    return LoadResult::Ok;
  }
  bool PathNamesSensor(const std::string&) override { return false; }
};

}  // namespace

Platform& NativePlatform() {
  static NoHardware platform;
  return platform;
}

std::unique_ptr<HotPlugMonitor> CreateNativeHotPlugMonitor(int* error) {
  if (error) *error = ENOSYS;
  return nullptr;
}

}  // namespace kv::hid
