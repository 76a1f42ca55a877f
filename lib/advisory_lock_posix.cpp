#include "advisory_lock_posix.h"

#include <sys/file.h>

#include <cerrno>
#include <fstream>

namespace kv {

bool TryExclusiveFlock(int fd) {
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    return errno != EWOULDBLOCK;
  }
  return true;
}

std::string DescribeProcess(long pid) {
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(comm, name);
  const std::string process = "process " + std::to_string(pid);
  return name.empty() ? process : name + ", " + process;
}

}  // namespace kv
