#include "system_functions.h"

#include <kv7700/system_dlls.h>

namespace kv::ui::win32 {

namespace {

template <typename Function>
Function Find(HMODULE module, const char* name) {
  if (!module) {
    return nullptr;
  }
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

OleaccFunctions LoadOleacc() {
  // Kept loaded: the objects handed to readers run its code.
  const HMODULE module = static_cast<HMODULE>(LoadSystemDll("oleacc.dll"));
  OleaccFunctions found;
  found.createStdAccessibleObject =
      Find<OleaccFunctions::CreateStdAccessibleObjectFunction>(module, "CreateStdAccessibleObject");
  found.lresultFromObject =
      Find<OleaccFunctions::LresultFromObjectFunction>(module, "LresultFromObject");
  found.accessibleObjectFromWindow = Find<OleaccFunctions::AccessibleObjectFromWindowFunction>(
      module, "AccessibleObjectFromWindow");
  return found;
}

}  // namespace

const OleaccFunctions& Oleacc() {
  static const OleaccFunctions functions = LoadOleacc();
  return functions;
}

}  // namespace kv::ui::win32
