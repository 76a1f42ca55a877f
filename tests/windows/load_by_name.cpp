// The planted-DLL checks' control: loads the DLL named on its command line
// by name alone, which takes it from the program's own folder first, as a
// careless program would. Exits 0 when it loaded.
#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  return LoadLibraryA(argv[1]) != nullptr ? 0 : 1;
}
