#include "hid/windows/holder_note.h"

#include <sddl.h>

#include <algorithm>
#include <cstring>

namespace kv::hid::windows_backend {

namespace {

constexpr DWORD kNoteBytes = 256;
// Query, read and write (SECTION_QUERY | SECTION_MAP_WRITE | SECTION_MAP_READ)
// for everyone who may use the sensor's mutex.
constexpr const wchar_t* kNoteSddl =
    L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x0007;;;AU)(A;;0x0007;;;SU)(A;;0x0007;;;LS)"
    L"(A;;0x0007;;;NS)";

HANDLE MakeOrOpen(const std::wstring& name, SECURITY_ATTRIBUTES* security) {
  HANDLE mapping = ::CreateFileMappingW(INVALID_HANDLE_VALUE, security, PAGE_READWRITE, 0,
                                        kNoteBytes, name.c_str());
  if (!mapping) mapping = ::OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name.c_str());
  return mapping;
}

}  // namespace

HolderNote::HolderNote(const std::wstring& name) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kNoteSddl, SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
    return;  // no note: holders go unnamed
  }
  SECURITY_ATTRIBUTES security = {};
  security.nLength = sizeof security;
  security.lpSecurityDescriptor = descriptor;
  mapping_ = MakeOrOpen(L"Global\\" + name, &security);
  if (!mapping_) mapping_ = MakeOrOpen(L"Local\\" + name, &security);
  ::LocalFree(descriptor);
  if (mapping_) {
    view_ = static_cast<char*>(
        ::MapViewOfFile(mapping_, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, kNoteBytes));
  }
}

HolderNote::~HolderNote() {
  if (view_) ::UnmapViewOfFile(view_);
  if (mapping_) ::CloseHandle(mapping_);
}

void HolderNote::Write(const std::string& holder) {
  if (!view_) return;
  const std::size_t length = std::min<std::size_t>(holder.size(), kNoteBytes - 1);
  std::memcpy(view_, holder.data(), length);
  view_[length] = '\0';
}

std::string HolderNote::Read() const {
  if (!view_) return {};
  // Another program writes it: read it once, at most to its last byte.
  char copy[kNoteBytes];
  std::memcpy(copy, view_, kNoteBytes);
  copy[kNoteBytes - 1] = '\0';
  return copy;
}

}  // namespace kv::hid::windows_backend
