// The records the emulated bus sends the sheet read back as the system's own.
#include "device_change.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace kv::ui::win32 {
namespace {

constexpr char kPath[] =
    "\\\\?\\HID#VID_18C8&PID_7700#7&1&0000#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}";

TEST(DeviceChangeTest, TheRecordMadeForAPathReadsBackAsThatPath) {
  const std::vector<DWORD> record = DeviceInterfaceRecord(kPath);
  const auto& header = *reinterpret_cast<const DEV_BROADCAST_HDR*>(record.data());
  // The system's own size: the header, the GUID and the UTF-16 name with its terminator.
  EXPECT_EQ(header.dbch_size,
            offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (std::strlen(kPath) + 1) * 2);
  EXPECT_EQ(InterfacePathOf(header), kPath);
}

}  // namespace
}  // namespace kv::ui::win32
