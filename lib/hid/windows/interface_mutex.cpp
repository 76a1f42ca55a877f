#include "hid/windows/interface_mutex.h"

#include <sddl.h>

#include <cctype>
#include <cstdint>
#include <cwchar>

namespace kv::hid::windows_backend {

namespace {

// Waiting on it and releasing it is all another program needs.
constexpr DWORD kMutexUse = SYNCHRONIZE | MUTEX_MODIFY_STATE;
// Full access for the system and administrators; wait and release for
// everyone, so the user at the desk and a service take turns.
constexpr const wchar_t* kMutexSddl = L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00100001;;;WD)";

HANDLE MakeMutex(const std::wstring& name) {
  SECURITY_ATTRIBUTES security = {};
  security.nLength = sizeof security;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(kMutexSddl, SDDL_REVISION_1,
                                                             &descriptor, nullptr)) {
    security.lpSecurityDescriptor = descriptor;
  }
  HANDLE mutex = ::CreateMutexExW(&security, name.c_str(), 0, kMutexUse);
  if (descriptor) ::LocalFree(descriptor);
  return mutex;
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

InterfaceMutex::InterfaceMutex(const std::string& path) {
  const std::wstring global = InterfaceMutexName(path, L"Global");
  // Making a Global object takes a privilege a plain user lacks; a service
  // or an administrator may have made it already.
  mutex_ = MakeMutex(global);
  if (!mutex_) mutex_ = ::OpenMutexW(kMutexUse, FALSE, global.c_str());
  if (!mutex_) mutex_ = MakeMutex(InterfaceMutexName(path, L"Local"));
}

InterfaceMutex::~InterfaceMutex() {
  if (mutex_) ::CloseHandle(mutex_);
}

bool InterfaceMutex::TryHold() {
  if (!mutex_) return true;
  return ::WaitForSingleObject(mutex_, 0) != WAIT_TIMEOUT;
}

void InterfaceMutex::Release() {
  if (mutex_) ::ReleaseMutex(mutex_);
}

}  // namespace kv::hid::windows_backend
