#include "hid/windows/device_list.h"

#include <cstring>

namespace kv::hid::windows_backend {

namespace {

// Discovery looks at no more interface indices than this.
constexpr DWORD kMaxInterfaceIndices = 256;
// Slack after the detail record, zeroed, so the path is always terminated.
constexpr DWORD kDetailSlack = 16;

// One interface's detail: its path, or where reading it failed.
InterfaceEntry ReadDetail(const SetupEntryPoints& setup, HDEVINFO list,
                          SP_DEVICE_INTERFACE_DATA* data) {
  InterfaceEntry entry;
  DWORD required = 0;
  if (setup.getInterfaceDetail(list, data, nullptr, 0, &required, nullptr) ||
      ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    entry.detail = InterfaceEntry::Detail::SizeQueryFailed;
    return entry;
  }
  const DWORD allocated = required + kDetailSlack;
  auto* detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(::LocalAlloc(LPTR, allocated));
  if (!detail) {
    entry.detail = InterfaceEntry::Detail::AllocFailed;
    return entry;
  }
  // The fixed part of the record as this platform lays it out (8 bytes on
  // 64-bit Windows, 5 on 32-bit); anything else is refused.
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  if (!setup.getInterfaceDetail(list, data, detail, required, nullptr, nullptr)) {
    entry.detail = InterfaceEntry::Detail::ReadFailed;
  } else {
    const std::size_t room = allocated - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
    entry.path.assign(detail->DevicePath, ::strnlen(detail->DevicePath, room));
  }
  ::LocalFree(detail);
  return entry;
}

}  // namespace

bool SetupDeviceList::List(std::vector<InterfaceEntry>* out) {
  out->clear();
  const GUID keyboard = ToWindowsGuid(kKeyboardInterfaceClass);
  HDEVINFO list =
      entries_.getClassDevs(&keyboard, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (list == INVALID_HANDLE_VALUE) return false;

  for (DWORD index = 0; index < kMaxInterfaceIndices; ++index) {
    SP_DEVICE_INTERFACE_DATA data = {};
    data.cbSize = sizeof data;  // 32 bytes on 64-bit Windows, 28 on 32-bit
    if (!entries_.enumInterfaces(list, nullptr, &keyboard, index, &data)) break;  // end of list
    out->push_back(ReadDetail(entries_, list, &data));
    const InterfaceEntry::Detail detail = out->back().detail;
    if (detail == InterfaceEntry::Detail::SizeQueryFailed ||
        detail == InterfaceEntry::Detail::AllocFailed) {
      break;
    }
  }
  entries_.destroyList(list);
  return true;
}

}  // namespace kv::hid::windows_backend
