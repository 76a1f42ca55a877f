// Must not compile when only the library is linked: the platform's headers
// belong to what links kv7700_platform (see tests/CMakeLists.txt).
#include "platform/file_output.h"

int main() {
  return 0;
}
