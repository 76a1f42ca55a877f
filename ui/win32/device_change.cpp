#include "device_change.h"

#include <cstddef>
#include <cstring>
#include <cwchar>

#include "wide_text.h"

namespace kv::ui::win32 {

std::string InterfacePathOf(const DEV_BROADCAST_HDR& header) {
  constexpr std::size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
  if (header.dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE || header.dbch_size <= kNameOffset + 1) {
    return {};
  }
  const std::size_t room = header.dbch_size - kNameOffset;
  const auto* bytes = reinterpret_cast<const unsigned char*>(&header) + kNameOffset;
  if (bytes[1] == 0) {
    const auto* wide = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(&header);
    return Narrow(std::wstring_view(wide->dbcc_name, wcsnlen(wide->dbcc_name, room / 2)));
  }
  const auto* narrow = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(&header);
  return std::string(narrow->dbcc_name, strnlen(narrow->dbcc_name, room));
}

}  // namespace kv::ui::win32
