// The security attributes every sensor is opened with: a descriptor with a
// null access-control list, which grants every user access.
#pragma once

#include "hid/windows/win32.h"

namespace kv::hid::windows_backend {

// 1 when `attributes` was filled with a fresh descriptor; 0 when making it
// failed (nothing is left to free then). The caller frees the descriptor with
// FreeOpenSecurity after its open attempt.
int MakeOpenSecurity(SECURITY_ATTRIBUTES* attributes);
void FreeOpenSecurity(SECURITY_ATTRIBUTES* attributes);

}  // namespace kv::hid::windows_backend
