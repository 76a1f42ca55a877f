#include "device_change.h"

#include <kv7700/device_interface_record.h>
#include <kv7700/kv7700.h>

#include <cstddef>
#include <cstring>

#include "wide_text.h"

namespace kv::ui::win32 {

std::string InterfacePathOf(const DEV_BROADCAST_HDR& header) {
  return hid::DeviceInterfacePath(&header);
}

std::vector<DWORD> DeviceInterfaceRecord(const std::string& path) {
  const std::wstring name = Widen(path);
  const std::size_t size =
      offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (name.size() + 1) * sizeof(wchar_t);
  std::vector<DWORD> storage((size + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
  auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(storage.data());
  record->dbcc_size = static_cast<DWORD>(size);
  record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  const Guid guid = kKeyboardInterfaceClass;
  record->dbcc_classguid.Data1 = guid.data1;
  record->dbcc_classguid.Data2 = guid.data2;
  record->dbcc_classguid.Data3 = guid.data3;
  std::memcpy(record->dbcc_classguid.Data4, guid.data4, sizeof(guid.data4));
  std::memcpy(record->dbcc_name, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
  return storage;
}

}  // namespace kv::ui::win32
