// Must not compile when only the library is linked: the native platform's
// header belongs to kv7700_hid_native (see tests/CMakeLists.txt).
#include <kv7700/native_hid.h>

int main() {
  return 0;
}
