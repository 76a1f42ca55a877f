// What the sensor holds on Linux share: a non-blocking exclusive flock, and
// the words that name a process ("kv7700-config, process 1234").
#pragma once

#include <string>

namespace kv {

// Takes an exclusive flock on `fd` without waiting. False only when another
// descriptor holds it; any other failure (a file system without locks) must
// not stop the conversation, so it counts as taken.
bool TryExclusiveFlock(int fd);

// The turn beside that flock: an exclusive lock, owned by the open file
// description as the flock is, on the file's first byte; flock and these
// locks do not exclude each other, so one descriptor carries both. False
// only when another description holds it; a descriptor opened without write
// access, or a file system without such locks, counts as taken.
bool TryExclusiveTurnLock(int fd);
void ReleaseTurnLock(int fd);

// "NAME, process PID" from /proc/PID/comm; "process PID" without a name.
std::string DescribeProcess(long pid);

}  // namespace kv
