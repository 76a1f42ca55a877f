// What the sensor holds on Linux share: a non-blocking exclusive flock, and
// the words that name a process ("kv7700-config, process 1234").
#pragma once

#include <string>

namespace kv {

// Takes an exclusive flock on `fd` without waiting. False only when another
// descriptor holds it; any other failure (a file system without locks) must
// not stop the conversation, so it counts as taken.
bool TryExclusiveFlock(int fd);

// "NAME, process PID" from /proc/PID/comm; "process PID" without a name.
std::string DescribeProcess(long pid);

}  // namespace kv
