// Device-change records are read in either character set and never past
// their own size, whatever the size field claims.
#include <gtest/gtest.h>
#include <kv7700/device_interface_record.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "hid/windows/win32.h"
// win32.h first: dbt.h needs its types.
#include <dbt.h>

namespace kv::hid {
namespace {

const std::string kPath =
    "\\\\?\\HID#VID_18C8&PID_2BFA#7&1&0000#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}";

struct RecordCase {
  const char* what;
  bool wide;
  std::size_t cut;                   // bytes short of the terminator's end
  std::optional<DWORD> claimedSize;  // the size field, when it lies
  DWORD type;
  std::string expected;
};

// A record as the system lays it out, followed by bytes that are not its own
// (no zero among them), in DWORD storage as the system aligns it.
std::vector<DWORD> Record(const RecordCase& row) {
  const std::size_t offset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
  const std::size_t unit = row.wide ? 2 : 1;
  const std::size_t size = offset + (kPath.size() + 1) * unit - row.cut;
  std::vector<DWORD> storage(size / sizeof(DWORD) + 4, 0xEEEEEEEE);
  auto* bytes = reinterpret_cast<unsigned char*>(storage.data());
  auto* header = reinterpret_cast<DEV_BROADCAST_HDR*>(bytes);
  header->dbch_size = row.claimedSize.value_or(static_cast<DWORD>(size));
  header->dbch_devicetype = row.type;
  header->dbch_reserved = 0;
  for (std::size_t i = 0; i <= kPath.size(); ++i) {
    const std::size_t at = offset + i * unit;
    if (at + unit > size) break;
    bytes[at] = static_cast<unsigned char>(kPath.c_str()[i]);
    if (row.wide) bytes[at + 1] = 0;
  }
  return storage;
}

TEST(DeviceInterfaceRecord, ThePathIsReadInItsCharacterSetWithinTheRecordsSize) {
  const std::string whole = kPath;
  const RecordCase rows[] = {
      {"ANSI", false, 0, {}, DBT_DEVTYP_DEVICEINTERFACE, whole},
      {"UTF-16", true, 0, {}, DBT_DEVTYP_DEVICEINTERFACE, whole},
      {"ANSI without its terminator", false, 1, {}, DBT_DEVTYP_DEVICEINTERFACE, whole},
      {"UTF-16 without its terminator", true, 2, {}, DBT_DEVTYP_DEVICEINTERFACE, whole},
      {"UTF-16 with half a terminator", true, 1, {}, DBT_DEVTYP_DEVICEINTERFACE, whole},
      {"ANSI cut short",
       false,
       4,
       {},
       DBT_DEVTYP_DEVICEINTERFACE,
       whole.substr(0, whole.size() - 3)},
      {"UTF-16 cut short, mid-character",
       true,
       7,
       {},
       DBT_DEVTYP_DEVICEINTERFACE,
       whole.substr(0, whole.size() - 3)},
      {"only a header", true, 0, sizeof(DEV_BROADCAST_HDR), DBT_DEVTYP_DEVICEINTERFACE, ""},
      {"smaller than a header", true, 0, 8, DBT_DEVTYP_DEVICEINTERFACE, ""},
      {"no size at all", false, 0, 0, DBT_DEVTYP_DEVICEINTERFACE, ""},
      {"a volume's record", true, 0, {}, DBT_DEVTYP_VOLUME, ""},
  };
  for (const RecordCase& row : rows) {
    const std::vector<DWORD> record = Record(row);
    EXPECT_EQ(DeviceInterfacePath(record.data()), row.expected) << row.what;
  }
  EXPECT_EQ(DeviceInterfacePath(nullptr), "");
}

}  // namespace
}  // namespace kv::hid
