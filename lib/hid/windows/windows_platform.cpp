// The native platform on Windows: the HID class driver's library and the
// device-installation library, both loaded at run time by name.
#include <kv7700/native_hid.h>

#include "hid/windows/device_list.h"
#include "hid/windows/entry_points.h"
#include "hid/windows/hid_layer.h"
#include "hid/windows/sensor_path.h"

namespace kv::hid {

namespace {

class WindowsPlatform final : public Platform {
 public:
  LoadResult LoadHid(std::unique_ptr<HidLayer>* out) override {
    windows_backend::LoadedModule module;
    windows_backend::HidEntryPoints entries;
    const LoadResult result = windows_backend::LoadHidLibrary(&module, &entries);
    if (result == LoadResult::Ok) {
      *out = std::make_unique<windows_backend::WindowsHidLayer>(std::move(module), entries);
    }
    return result;
  }

  LoadResult LoadDeviceList(std::unique_ptr<DeviceList>* out) override {
    windows_backend::LoadedModule module;
    windows_backend::SetupEntryPoints entries;
    const LoadResult result = windows_backend::LoadSetupLibrary(&module, &entries);
    if (result == LoadResult::Ok) {
      *out = std::make_unique<windows_backend::SetupDeviceList>(std::move(module), entries);
    }
    return result;
  }

  bool PathNamesSensor(const std::string& path) override {
    return windows_backend::PathNamesSensor(path);
  }

  bool PathsEqual(const std::string& a, const std::string& b) override {
    return windows_backend::PathsEqual(a, b);
  }
};

}  // namespace

Platform& NativePlatform() {
  static WindowsPlatform platform;
  return platform;
}

}  // namespace kv::hid
