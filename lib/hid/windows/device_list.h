// The present interfaces of the keyboard device-interface class, listed
// through the device-installation library.
#pragma once

#include <kv7700/hid.h>

#include "hid/windows/entry_points.h"

namespace kv::hid::windows_backend {

class SetupDeviceList final : public DeviceList {
 public:
  // Keeps `module` loaded for as long as the list lives (one enumeration).
  SetupDeviceList(LoadedModule module, const SetupEntryPoints& entries)
      : module_(std::move(module)), entries_(entries) {}

  // Every present interface up to index 255, each with its path or where
  // reading its detail failed; listing stops after a failed size query or
  // allocation, as discovery stops there.
  bool List(std::vector<InterfaceEntry>* out) override;

 private:
  LoadedModule module_;
  SetupEntryPoints entries_;
};

}  // namespace kv::hid::windows_backend
