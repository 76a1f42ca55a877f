// The HID layer over hidapi's hidraw backend.
#pragma once

#include <hidapi/hidapi.h>
#include <kv7700/hid.h>

#include <map>
#include <memory>

#include "hid/linux/node_lock.h"

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
  // An flock on the handle's own descriptor of the node.
  bool TryHold(Handle handle) override;
  void Release(Handle handle) override;
  std::string Holder(Handle handle) override;
  // A lock beside the flock on the same descriptor.
  bool TryTakeTurn(Handle handle) override;
  void GiveTurn(Handle handle) override;

 private:
  struct OpenNode {
    hid_device* device;
    std::unique_ptr<NodeLock> lock;  // kept for the handle's life
  };
  hid_device* Device(Handle handle) const;
  NodeLock* Lock(Handle handle) const;

  // Handles are counters, not pointers, so a stale handle finds nothing.
  std::map<Handle, OpenNode> open_;
  Handle next_ = 1;
};

}  // namespace kv::hid::linux_backend
