// Listing the keyboard class through the device-installation library, over
// entry points that play a scripted list: the record sizes this platform
// expects, the two-step detail read, and where listing stops.
#include <gmock/gmock.h>

#include <cstring>
#include <string>
#include <vector>

#include "hid/windows/device_list.h"

namespace kv::hid::windows_backend {
namespace {

using Detail = InterfaceEntry::Detail;

// What the scripted list does for one interface's detail.
enum class Step { Ok, SizeQueryFails, ReadFails };

struct Script {
  std::vector<Step> steps;
  bool listFails = false;
  // Seen by the fakes.
  GUID classGuid = {};
  DWORD flags = 0;
  int destroyed = 0;
  std::vector<DWORD> interfaceDataSizes;
  std::vector<DWORD> detailSizes;
};
Script g_script;
const HDEVINFO kList = reinterpret_cast<HDEVINFO>(0x5150);

std::string PathOf(DWORD index) {
  return "\\\\?\\HID#VID_18C8&PID_2BFA#" + std::to_string(index);
}

HDEVINFO WINAPI FakeGetClassDevs(const GUID* guid, PCSTR, HWND, DWORD flags) {
  g_script.classGuid = *guid;
  g_script.flags = flags;
  return g_script.listFails ? INVALID_HANDLE_VALUE : kList;
}

BOOL WINAPI FakeEnumInterfaces(HDEVINFO list, PSP_DEVINFO_DATA, const GUID*, DWORD index,
                               PSP_DEVICE_INTERFACE_DATA data) {
  g_script.interfaceDataSizes.push_back(data->cbSize);
  if (list != kList || index >= g_script.steps.size()) {
    ::SetLastError(ERROR_NO_MORE_ITEMS);
    return FALSE;
  }
  data->Reserved = index;
  return TRUE;
}

BOOL WINAPI FakeGetDetail(HDEVINFO, PSP_DEVICE_INTERFACE_DATA data,
                          PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD size, PDWORD required,
                          PSP_DEVINFO_DATA) {
  const DWORD index = static_cast<DWORD>(data->Reserved);
  const std::string path = PathOf(index);
  const DWORD needed =
      static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + path.size() + 1);
  const Step step = g_script.steps[index];
  if (!detail) {
    if (required) *required = needed;
    ::SetLastError(step == Step::SizeQueryFails ? ERROR_INVALID_PARAMETER
                                                : ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  g_script.detailSizes.push_back(detail->cbSize);
  if (step == Step::ReadFails || detail->cbSize != sizeof(*detail) || size < needed) {
    ::SetLastError(ERROR_INVALID_USER_BUFFER);
    return FALSE;
  }
  std::memcpy(detail->DevicePath, path.c_str(), path.size() + 1);
  return TRUE;
}

BOOL WINAPI FakeDestroy(HDEVINFO list) {
  if (list == kList) ++g_script.destroyed;
  return TRUE;
}

std::vector<InterfaceEntry> ListScript(std::vector<Step> steps, bool* listed = nullptr) {
  g_script = {};
  g_script.steps = std::move(steps);
  SetupEntryPoints entries;
  entries.getClassDevs = FakeGetClassDevs;
  entries.enumInterfaces = FakeEnumInterfaces;
  entries.getInterfaceDetail = FakeGetDetail;
  entries.destroyList = FakeDestroy;
  SetupDeviceList list(LoadedModule{}, entries);
  std::vector<InterfaceEntry> out;
  const bool ok = list.List(&out);
  if (listed) *listed = ok;
  return out;
}

std::vector<Detail> Details(const std::vector<InterfaceEntry>& entries) {
  std::vector<Detail> details;
  for (const InterfaceEntry& entry : entries) details.push_back(entry.detail);
  return details;
}

TEST(WindowsEnumeration, ListsPresentKeyboardInterfacesWithThisPlatformsRecordSizes) {
  bool listed = false;
  const std::vector<InterfaceEntry> entries = ListScript({Step::Ok, Step::Ok}, &listed);
  ASSERT_TRUE(listed);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].path, PathOf(0));
  EXPECT_EQ(entries[1].path, PathOf(1));
  EXPECT_FALSE(entries[0].identityListed);  // the identity is read from the open device
  const GUID keyboard = ToWindowsGuid(kKeyboardInterfaceClass);
  EXPECT_EQ(std::memcmp(&g_script.classGuid, &keyboard, sizeof keyboard), 0);
  EXPECT_EQ(g_script.flags, static_cast<DWORD>(DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  EXPECT_THAT(g_script.interfaceDataSizes, ::testing::Each(sizeof(SP_DEVICE_INTERFACE_DATA)));
  EXPECT_THAT(g_script.detailSizes, ::testing::Each(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)));
  EXPECT_EQ(g_script.destroyed, 1);
}

TEST(WindowsEnumeration, WhereListingStopsAndWhereItGoesOn) {
  const struct {
    const char* name;
    std::vector<Step> steps;
    std::vector<Detail> expected;
  } cases[] = {
      {"no interface", {}, {}},
      {"an unreadable detail is skipped",
       {Step::Ok, Step::ReadFails, Step::Ok},
       {Detail::Ok, Detail::ReadFailed, Detail::Ok}},
      {"a failed size query ends the list",
       {Step::Ok, Step::SizeQueryFails, Step::Ok},
       {Detail::Ok, Detail::SizeQueryFailed}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Details(ListScript(c.steps)), c.expected) << c.name;
    EXPECT_EQ(g_script.destroyed, 1) << c.name;
  }
}

TEST(WindowsEnumeration, AtMost256InterfacesAreLookedAt) {
  EXPECT_EQ(ListScript(std::vector<Step>(300, Step::Ok)).size(), 256u);
}

TEST(WindowsEnumeration, AListThatCannotBeHadIsAFailure) {
  g_script = {};
  g_script.listFails = true;
  SetupEntryPoints entries;
  entries.getClassDevs = FakeGetClassDevs;
  entries.destroyList = FakeDestroy;
  SetupDeviceList list(LoadedModule{}, entries);
  std::vector<InterfaceEntry> out;
  EXPECT_FALSE(list.List(&out));
  EXPECT_EQ(g_script.destroyed, 0);
}

}  // namespace
}  // namespace kv::hid::windows_backend
