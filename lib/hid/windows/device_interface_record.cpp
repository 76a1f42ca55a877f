#include <kv7700/device_interface_record.h>

#include <cstddef>
#include <cstring>
#include <cwchar>

#include "hid/windows/win32.h"
// win32.h first: dbt.h needs its types.
#include <dbt.h>

namespace kv::hid {

namespace {

std::string FromWide(const wchar_t* text, std::size_t length) {
  if (length == 0) return {};
  const int wide = static_cast<int>(length);
  const int size = ::WideCharToMultiByte(CP_ACP, 0, text, wide, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string result(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, wide, result.data(), size, nullptr, nullptr);
  return result;
}

}  // namespace

std::string DeviceInterfacePath(const void* record) {
  if (!record) return {};
  // The size comes first and is always there; the type only when the size
  // says the header is.
  DWORD size = 0;
  std::memcpy(&size, record, sizeof size);
  if (size < sizeof(DEV_BROADCAST_HDR)) return {};
  const auto* header = static_cast<const DEV_BROADCAST_HDR*>(record);
  constexpr std::size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
  static_assert(kNameOffset == offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name));
  if (header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE || size <= kNameOffset + 1) return {};
  const std::size_t room = size - kNameOffset;
  const auto* name = static_cast<const unsigned char*>(record) + kNameOffset;
  // Interface paths begin "\\?\": the second byte is zero in UTF-16 and a
  // backslash in the code page. Some systems send the UTF-16 record to a
  // window registered for the ANSI one, so the record tells, not the call.
  if (name[1] == 0) {
    const auto* wide = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(record);
    return FromWide(wide->dbcc_name, ::wcsnlen(wide->dbcc_name, room / sizeof(wchar_t)));
  }
  const auto* narrow = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(record);
  return std::string(narrow->dbcc_name, ::strnlen(narrow->dbcc_name, room));
}

}  // namespace kv::hid
