// Placeholder until the hidapi backend lands: no HID layer on this build.
#include "hid/hid_layer.h"

namespace kv::hid {

namespace {
class NoPlatform final : public Platform {
 public:
  LoadResult LoadHid(std::unique_ptr<HidLayer>*) override { return LoadResult::LibraryMissing; }
  LoadResult LoadDeviceList(std::unique_ptr<DeviceList>*) override {
    return LoadResult::LibraryMissing;
  }
  bool PathNamesSensor(const std::string&) override { return false; }
};
}  // namespace

Platform& NativePlatform() {
  static NoPlatform platform;
  return platform;
}

}  // namespace kv::hid
