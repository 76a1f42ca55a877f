#include "hid/linux/hidapi_enumeration.h"

#include <algorithm>

namespace kv::hid::linux_backend {

std::vector<InterfaceEntry> EntriesFromEnumeration(const hid_device_info* first) {
  std::vector<InterfaceEntry> entries;
  for (const hid_device_info* info = first; info; info = info->next) {
    if (!info->path || !*info->path) continue;
    const bool seen = std::any_of(entries.begin(), entries.end(),
                                  [&](const InterfaceEntry& e) { return e.path == info->path; });
    if (!seen) {
      entries.push_back(
          {InterfaceEntry::Detail::Ok, info->path, true, info->vendor_id, info->product_id});
    }
  }
  return entries;
}

bool HidapiDeviceList::List(std::vector<InterfaceEntry>* out) {
  if (!out) return false;
  // hidapi answers null both for "no device" and for a failed scan of sysfs
  // and cannot tell them apart; either way there is nothing to open.
  hid_device_info* all = hid_enumerate(0, 0);
  *out = EntriesFromEnumeration(all);
  hid_free_enumeration(all);
  return true;
}

}  // namespace kv::hid::linux_backend
