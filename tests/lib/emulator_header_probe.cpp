// Must not compile when only the library is linked: the emulator's header
// belongs to kv7700_emulator (see tests/CMakeLists.txt).
#include <kv7700/emulation.h>

int main() {
  return 0;
}
