#include "hid/windows/interface_mutex.h"

#include <kv7700/utf16.h>
#include <sddl.h>

#include <cctype>
#include <cstdint>
#include <cwchar>

#include "platform/process_name_windows.h"

namespace kv::hid::windows_backend {

// SY, BA: system, administrators. AU: every signed-in user, whether at a
// desk, by Remote Desktop or in a scheduled task (a batch logon, which the
// interactive group leaves out). SU: processes started as services. LS, NS:
// the local and network service accounts. 0x00100001 is SYNCHRONIZE |
// MUTEX_MODIFY_STATE.
const wchar_t* const kInterfaceMutexSddl =
    L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00100001;;;AU)(A;;0x00100001;;;SU)"
    L"(A;;0x00100001;;;LS)(A;;0x00100001;;;NS)";

namespace {

// Waiting on it and releasing it is all another program needs.
constexpr DWORD kMutexUse = SYNCHRONIZE | MUTEX_MODIFY_STATE;

std::string Describe(const std::wstring& name, const char* step, DWORD error) {
  return "a program this one cannot see: the sensor's lock " + Utf8FromWide(name) +
         " could not be " + step + " (system error " + std::to_string(error) +
         "), so this program cannot take turns with others";
}

}  // namespace

std::wstring InterfaceMutexName(const std::string& path, const wchar_t* space) {
  std::uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a
  for (const char c : path) {
    hash ^= static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
    hash *= 0x100000001B3ull;
  }
  wchar_t name[64];
  std::swprintf(name, 64, L"%ls\\kv7700-sensor-%016llx", space,
                static_cast<unsigned long long>(hash));
  return name;
}

InterfaceMutex::InterfaceMutex(const std::string& path)
    : name_(InterfaceMutexName(path, L"Global")),
      note_(name_.substr(name_.find(L'\\') + 1) + L"-holder") {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kInterfaceMutexSddl, SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
    // Without it the mutex would get this user's default DACL, which shuts
    // out every other user and service: no mutex rather than that one.
    failure_ = Describe(name_, "given its security", ::GetLastError());
    return;
  }
  SECURITY_ATTRIBUTES security = {};
  security.nLength = sizeof security;
  security.lpSecurityDescriptor = descriptor;
  // Creating a mutex in the Global namespace takes no privilege (only file
  // mappings and symbolic links do). When it exists already, this opens it
  // with the rights asked for, which its DACL may refuse.
  mutex_ = ::CreateMutexExW(&security, name_.c_str(), 0, kMutexUse);
  const DWORD error = ::GetLastError();
  ::LocalFree(descriptor);
  if (!mutex_) failure_ = Describe(name_, "made or opened", error);
}

InterfaceMutex::~InterfaceMutex() {
  if (mutex_) ::CloseHandle(mutex_);
}

bool InterfaceMutex::TryHold() {
  if (!mutex_) return false;
  switch (::WaitForSingleObject(mutex_, 0)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:  // its holder died; ownership is ours now
      failure_.clear();
      note_.Write(ThisProcessDescription());
      return true;
    case WAIT_TIMEOUT:
      return false;
    default:
      failure_ = Describe(name_, "waited on", ::GetLastError());
      return false;
  }
}

void InterfaceMutex::Release() {
  if (!mutex_) return;
  note_.Write({});
  ::ReleaseMutex(mutex_);
}

}  // namespace kv::hid::windows_backend
