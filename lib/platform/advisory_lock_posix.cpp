#include "platform/advisory_lock_posix.h"

#include <fcntl.h>
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

namespace {

int SetTurnLock(int fd, short type) {
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = 0;
  range.l_len = 1;
  int result = 0;
  while ((result = ::fcntl(fd, F_OFD_SETLK, &range)) != 0 && errno == EINTR) {
  }
  return result;
}

}  // namespace

bool TryExclusiveTurnLock(int fd) {
  if (SetTurnLock(fd, F_WRLCK) == 0) return true;
  return errno != EAGAIN && errno != EACCES;
}

void ReleaseTurnLock(int fd) {
  SetTurnLock(fd, F_UNLCK);
}

std::string DescribeProcess(long pid) {
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(comm, name);
  const std::string process = "process " + std::to_string(pid);
  return name.empty() ? process : name + ", " + process;
}

}  // namespace kv
