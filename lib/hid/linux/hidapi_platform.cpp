// The native platform on Linux: hidapi over hidraw for enumeration, opening
// and feature reports; udev for recognising a sensor's node unopened.
#include <hidapi/hidapi.h>
#include <kv7700/native_hid.h>

#include "hid/linux/hid_id.h"
#include "hid/linux/hidapi_enumeration.h"
#include "hid/linux/hidapi_layer.h"

namespace kv::hid {

namespace {

class HidapiPlatform final : public Platform {
 public:
  LoadResult LoadHid(std::unique_ptr<HidLayer>* out) override {
    if (!out || hid_init() != 0) return LoadResult::LibraryMissing;
    *out = std::make_unique<linux_backend::HidapiLayer>();
    return LoadResult::Ok;
  }

  LoadResult LoadDeviceList(std::unique_ptr<DeviceList>* out) override {
    if (!out || hid_init() != 0) return LoadResult::LibraryMissing;
    *out = std::make_unique<linux_backend::HidapiDeviceList>();
    return LoadResult::Ok;
  }

  bool PathNamesSensor(const std::string& path) override {
    return linux_backend::UdevPathNamesSensor(path);
  }
};

}  // namespace

Platform& NativePlatform() {
  static HidapiPlatform platform;
  return platform;
}

}  // namespace kv::hid
