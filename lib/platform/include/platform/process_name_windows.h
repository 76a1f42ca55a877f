// How a Windows program names itself to another that waits for a sensor it
// holds: "kv7700ctl, process 1234".
#pragma once

#include <string>

namespace kv {

std::string ThisProcessDescription();

}  // namespace kv
