#include "hid/linux/node_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/advisory_lock_posix.h"

namespace kv::hid::linux_backend {

namespace {

// Write access lets the descriptor carry the turn too; the user at the seat
// and root have it, and without it the hold alone still works.
int OpenForLocks(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  return fd >= 0 ? fd : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

}  // namespace

NodeLock::NodeLock(const std::string& path) : fd_(OpenForLocks(path)) {}

NodeLock::~NodeLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool NodeLock::TryHold() {
  if (fd_ < 0) return true;
  return TryExclusiveFlock(fd_);
}

void NodeLock::Release() {
  if (fd_ >= 0) ::flock(fd_, LOCK_UN);
}

pid_t FlockHolderPid(std::string_view locks, unsigned major, unsigned minor, std::uint64_t inode) {
  // "1: FLOCK  ADVISORY  WRITE 1234 00:05:123 0 EOF"; the device numbers in
  // hex. Lines of waiters carry "->" after the number and are skipped.
  std::istringstream lines{std::string(locks)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string number, kind, mode, access, where;
    long pid = 0;
    if (!(fields >> number >> kind) || kind != "FLOCK") continue;
    if (!(fields >> mode >> access >> pid >> where)) continue;
    unsigned lockMajor = 0, lockMinor = 0;
    unsigned long long lockInode = 0;
    if (std::sscanf(where.c_str(), "%x:%x:%llu", &lockMajor, &lockMinor, &lockInode) != 3) continue;
    if (lockMajor == major && lockMinor == minor && lockInode == inode && pid > 0) {
      return static_cast<pid_t>(pid);
    }
  }
  return 0;
}

bool NodeLock::TryTakeTurn() {
  return fd_ < 0 || TryExclusiveTurnLock(fd_);
}

void NodeLock::GiveTurn() {
  if (fd_ >= 0) ReleaseTurnLock(fd_);
}

std::string NodeLock::Holder() const {
  struct stat node {};
  if (fd_ < 0 || ::fstat(fd_, &node) != 0) return {};
  std::ifstream locksFile("/proc/locks");
  std::stringstream locks;
  locks << locksFile.rdbuf();
  const pid_t pid =
      FlockHolderPid(locks.str(), major(node.st_dev), minor(node.st_dev), node.st_ino);
  if (pid == 0) return {};
  return DescribeProcess(pid);
}

}  // namespace kv::hid::linux_backend
