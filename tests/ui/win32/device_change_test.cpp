// Device-change records are read in either character set and never past
// their own size.
#include "device_change.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace kv::ui::win32 {
namespace {

constexpr char kPath[] =
    "\\\\?\\HID#VID_18C8&PID_7700#7&1&0000#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}";

// A record as the system sends it, `cut` bytes short of its name's end.
std::vector<unsigned char> Record(bool wide, std::size_t cut = 0) {
  const std::size_t offset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
  const std::size_t unit = wide ? 2 : 1;
  const std::size_t size = offset + (std::strlen(kPath) + 1) * unit - cut;
  std::vector<unsigned char> bytes(size + 8, 0xEE);  // what follows the record is not its own
  auto* header = reinterpret_cast<DEV_BROADCAST_HDR*>(bytes.data());
  header->dbch_size = static_cast<DWORD>(size);
  header->dbch_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  header->dbch_reserved = 0;
  for (std::size_t i = 0; i <= std::strlen(kPath); ++i) {
    const std::size_t at = offset + i * unit;
    if (at + unit > size) {
      break;
    }
    bytes[at] = static_cast<unsigned char>(kPath[i]);
    if (wide) {
      bytes[at + 1] = 0;
    }
  }
  return bytes;
}

const DEV_BROADCAST_HDR& Header(const std::vector<unsigned char>& bytes) {
  return *reinterpret_cast<const DEV_BROADCAST_HDR*>(bytes.data());
}

TEST(DeviceChangeTest, ThePathIsReadInTheRecordsCharacterSet) {
  EXPECT_EQ(InterfacePathOf(Header(Record(true))), kPath);
  EXPECT_EQ(InterfacePathOf(Header(Record(false))), kPath);
}

TEST(DeviceChangeTest, ARecordWithoutItsTerminatorIsReadOnlyToItsEnd) {
  const std::string whole(kPath);
  EXPECT_EQ(InterfacePathOf(Header(Record(true, 2))), whole);  // no terminator
  EXPECT_EQ(InterfacePathOf(Header(Record(true, 6))), whole.substr(0, whole.size() - 2));
  EXPECT_EQ(InterfacePathOf(Header(Record(false, 1))), whole);
  EXPECT_EQ(InterfacePathOf(Header(Record(false, 4))), whole.substr(0, whole.size() - 3));
}

TEST(DeviceChangeTest, OtherRecordsAndRecordsTooShortForANameGiveNoPath) {
  std::vector<unsigned char> volume = Record(true);
  reinterpret_cast<DEV_BROADCAST_HDR*>(volume.data())->dbch_devicetype = DBT_DEVTYP_VOLUME;
  EXPECT_EQ(InterfacePathOf(Header(volume)), "");
  std::vector<unsigned char> header = Record(true);
  reinterpret_cast<DEV_BROADCAST_HDR*>(header.data())->dbch_size = sizeof(DEV_BROADCAST_HDR);
  EXPECT_EQ(InterfacePathOf(Header(header)), "");
}

TEST(DeviceChangeTest, TheRecordMadeForAPathReadsBackAsThatPath) {
  const std::vector<DWORD> record = DeviceInterfaceRecord(kPath);
  const auto& header = *reinterpret_cast<const DEV_BROADCAST_HDR*>(record.data());
  EXPECT_EQ(header.dbch_size, Record(true).size() - 8);  // the system's own size
  EXPECT_EQ(InterfacePathOf(header), kPath);
}

}  // namespace
}  // namespace kv::ui::win32
