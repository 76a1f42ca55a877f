#include "hid/windows/open_security.h"

namespace kv::hid::windows_backend {

int MakeOpenSecurity(SECURITY_ATTRIBUTES* attributes) {
  // The descriptor's own size on this platform (40 bytes on 64-bit Windows):
  // InitializeSecurityDescriptor fills all of it.
  void* descriptor = ::LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH);
  if (!descriptor) return 0;
  if (!::InitializeSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !::SetSecurityDescriptorDacl(descriptor, TRUE, nullptr, FALSE)) {
    ::LocalFree(descriptor);
    return 0;
  }
  attributes->nLength = sizeof(SECURITY_ATTRIBUTES);
  attributes->lpSecurityDescriptor = descriptor;
  attributes->bInheritHandle = FALSE;
  return 1;
}

void FreeOpenSecurity(SECURITY_ATTRIBUTES* attributes) {
  if (attributes->lpSecurityDescriptor) ::LocalFree(attributes->lpSecurityDescriptor);
  attributes->lpSecurityDescriptor = nullptr;
}

}  // namespace kv::hid::windows_backend
