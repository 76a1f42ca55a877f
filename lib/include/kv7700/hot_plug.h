// Arrival and removal of HID interfaces while the program runs, without a
// toolkit and without polling: the caller watches one wait object (a file
// descriptor watched by a socket notifier in the window and by poll(2) in the
// command-line tool; on Windows an event handle) and, when it is ready, takes
// the pending events. The caller passes each path to
// DeviceArrived or DeviceRemoved, which decide whether it is a sensor's.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kv::hid {

#if defined(_WIN32)
// A manual-reset event handle, signalled while events are pending.
using WaitObject = void*;
inline constexpr void* kNoWaitObject = nullptr;  // a WaitObject
#else
// A file descriptor, readable while events are pending.
using WaitObject = int;
inline constexpr WaitObject kNoWaitObject = -1;
#endif

struct HotPlugEvent {
  enum class Kind { Added, Removed };
  Kind kind = Kind::Added;
  std::string path;  // the interface path, as the platform names it
  bool operator==(const HotPlugEvent&) const = default;
};

class HotPlugMonitor {
 public:
  virtual ~HotPlugMonitor() = default;
  // The wait object that is ready while events are pending. Owned by the
  // monitor; never kNoWaitObject.
  virtual WaitObject Waitable() const = 0;
  // Takes every pending event, oldest first. Never blocks; an empty result
  // after a wake-up is normal (the readiness was for something filtered out).
  virtual std::vector<HotPlugEvent> ReadEvents() = 0;
};

// A monitor fed by Post, from any thread: how an emulated bus raises the same
// reports as the real monitor.
class QueuedHotPlugMonitor : public HotPlugMonitor {
 public:
  virtual void Post(HotPlugEvent event) = 0;
};

// Null when it cannot be created, with the error number in *error.
std::unique_ptr<QueuedHotPlugMonitor> CreateQueuedHotPlugMonitor(int* error);

}  // namespace kv::hid
