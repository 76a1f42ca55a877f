#include "hid/linux/open_failure.h"

#include <cerrno>

namespace kv::hid::linux_backend {

OpenFailure OpenFailureFromErrno(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return OpenFailure::AccessDenied;  // present, but the node is not ours to open
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return OpenFailure::NotFound;  // no node, or the device behind it is gone
    default:
      return OpenFailure::Other;
  }
}

}  // namespace kv::hid::linux_backend
