// Linked with the library alone, no HID backend (see tests/CMakeLists.txt).
#include <kv7700/kv7700.h>
#include <kv7700/status_codes.h>

int main() {
  const bool missing = kv::OpenAllDevices(nullptr) == 0 &&
                       kv::GetLibError() == (kv::kGroupOpenAll | kv::kLibErrHidLoad);
  kv::CloseAllDevices();
  return missing ? 0 : 1;
}
