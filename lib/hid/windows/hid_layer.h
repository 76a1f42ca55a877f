// The HID layer over the HID class driver's library: interfaces opened with
// CreateFileA, identity and feature reports through the HidD_ calls.
#pragma once

#include <kv7700/hid.h>

#include <map>
#include <memory>

#include "hid/windows/entry_points.h"
#include "hid/windows/interface_mutex.h"

namespace kv::hid::windows_backend {

class WindowsHidLayer final : public HidLayer {
 public:
  // Keeps `module` loaded for as long as the layer lives.
  WindowsHidLayer(LoadedModule module, const HidEntryPoints& entries)
      : module_(std::move(module)), entries_(entries) {}

  // Opens without read or write access (a keyboard's interface allows no
  // more; feature reports need none), sharing read and write.
  Handle Open(const std::string& path, OpenFailure* why) override;
  void Close(Handle handle) override;
  bool GetAttributes(Handle handle, Attributes* out) override;
  bool GetFeature(Handle handle, Report* report) override;
  bool SetFeature(Handle handle, const Report& report) override;
  // A named mutex per interface path, made when the handle is opened.
  bool TryHold(Handle handle) override;
  void Release(Handle handle) override;
  // Windows cannot tell which process owns a mutex: the name its holder
  // left (HolderNote), "" where none could be left, and why the mutex
  // cannot be had when it cannot.
  std::string Holder(Handle handle) override;
  // A second named mutex per interface path.
  bool TryTakeTurn(Handle handle) override;
  void GiveTurn(Handle handle) override;

 private:
  LoadedModule module_;
  HidEntryPoints entries_;
  std::map<Handle, std::unique_ptr<InterfaceMutex>> mutexes_;
  std::map<Handle, std::unique_ptr<InterfaceMutex>> turns_;
};

// What a failed CreateFileA's error means to discovery.
OpenFailure OpenFailureOf(DWORD error);

}  // namespace kv::hid::windows_backend
