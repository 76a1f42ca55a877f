#include <kv7700/access_advice.h>

#include "platform_advice.h"

namespace kv::cli {

std::string WhereTheSensorIsListed() {
  return "the Device Manager lists it under Keyboards, with VID_18C8&PID_2BFA or "
         "VID_04D8&PID_2BFA in its hardware ids";
}

std::string AccessAdvice() {
  return std::string(kExclusiveHolderAdvice) + ".";
}

std::string AccessAdviceInBrief() {
  return "close any other program that holds it and plug it in again";
}

}  // namespace kv::cli
