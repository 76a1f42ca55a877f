// The HID layer over hidapi's hidraw backend.
#pragma once

#include <hidapi/hidapi.h>
#include <kv7700/hid.h>

#include <map>

namespace kv::hid::linux_backend {

class HidapiLayer final : public HidLayer {
 public:
  HidapiLayer() = default;
  HidapiLayer(const HidapiLayer&) = delete;
  HidapiLayer& operator=(const HidapiLayer&) = delete;
  // Closes whatever its user left open.
  ~HidapiLayer() override;

  Handle Open(const std::string& path, OpenFailure* why) override;
  void Close(Handle handle) override;
  // Vendor, product and USB release number as udev records them for the node.
  bool GetAttributes(Handle handle, Attributes* out) override;
  bool GetFeature(Handle handle, Report* report) override;
  bool SetFeature(Handle handle, const Report& report) override;

 private:
  hid_device* Device(Handle handle) const;

  // Handles are counters, not pointers, so a stale handle finds nothing.
  std::map<Handle, hid_device*> open_;
  Handle next_ = 1;
};

}  // namespace kv::hid::linux_backend
