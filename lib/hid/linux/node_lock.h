// The advisory lock that lets one program at a time talk to a sensor: an
// exclusive flock on a descriptor of the hidraw node itself, which root's
// plug-in service and the user at the seat can both take, and which the
// kernel drops when its holder exits however it ends.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace kv::hid::linux_backend {

class NodeLock {
 public:
  // Opens its own descriptor of `path` (for reading and writing where it
  // may, else read-only; closed on exec); without
  // one every TryHold succeeds, as no lock can be kept.
  explicit NodeLock(const std::string& path);
  ~NodeLock();
  NodeLock(const NodeLock&) = delete;
  NodeLock& operator=(const NodeLock&) = delete;

  // False only when another descriptor holds the lock.
  bool TryHold();
  void Release();
  // The turn waiters keep (see HidLayer::TryTakeTurn), a lock on the same
  // descriptor that the flock does not exclude.
  bool TryTakeTurn();
  void GiveTurn();
  // "kv7700-config, process 1234" for the holder /proc/locks names; "".
  std::string Holder() const;

 private:
  int fd_ = -1;
};

// The pid of the FLOCK holding the inode `inode` on device major:minor in
// the text of /proc/locks; 0 when none is listed.
pid_t FlockHolderPid(std::string_view locks, unsigned major, unsigned minor, std::uint64_t inode);

}  // namespace kv::hid::linux_backend
