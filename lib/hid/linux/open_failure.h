// Why opening a hidraw node failed, told from the error number of open(2).
#pragma once

#include <kv7700/hid.h>

namespace kv::hid::linux_backend {

OpenFailure OpenFailureFromErrno(int error);

}  // namespace kv::hid::linux_backend
