// Where a program may load DLLs from. Called first thing in main: a DLL
// placed beside the program or in the current folder under a system DLL's
// name (a "planted" DLL) is never loaded afterwards.
#pragma once

namespace kv {

// On Windows: the DLLs loaded from now on come from the system folder only.
// Elsewhere: nothing.
void LoadDllsFromSystemFolderOnly();

// On Windows: the system DLL `name` (say "hid.dll") from the system folder
// only, never from the program's folder or the current one, as its module
// handle; null when it is not there. Elsewhere: null.
void* LoadSystemDll(const char* name);

}  // namespace kv
