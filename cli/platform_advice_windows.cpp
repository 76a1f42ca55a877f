#include "platform_advice.h"

namespace kv::cli {

std::string WhereTheSensorIsListed() {
  return "the Device Manager lists it under Keyboards, with VID_18C8&PID_2BFA or "
         "VID_04D8&PID_2BFA in its hardware ids";
}

std::string AccessAdvice() {
  // The sensor is opened without read or write access, which every user may;
  // a refusal means another program holds it exclusively.
  return "Another program may hold the sensor exclusively: close other configuration tools, "
         "then unplug the sensor and plug it back in.";
}

std::string AccessAdviceInBrief() {
  return "close any other program that holds it and plug it in again";
}

std::string HidLibraryName() {
  return "HID.DLL";
}

std::string HidLibraryAdvice() {
  return "HID.DLL is part of Windows: check that %SystemRoot%\\System32\\hid.dll is present "
         "(sfc /scannow repairs it) and try again.";
}

}  // namespace kv::cli
