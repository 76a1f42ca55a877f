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
#else
// A file descriptor, readable while events are pending.
using WaitObject = int;
#endif

struct HotplugEvent {
  enum class Kind { Added, Removed };
  Kind kind = Kind::Added;
  std::string path;  // the interface path, as the platform names it
  bool operator==(const HotplugEvent&) const = default;
};

class HotplugMonitor {
 public:
  virtual ~HotplugMonitor() = default;
  // Ready while events are pending. Owned by the monitor; never -1 (null on
  // Windows).
  virtual WaitObject Fd() const = 0;
  // Takes every pending event, oldest first. Never blocks; an empty result
  // after a wake-up is normal (the readiness was for something filtered out).
  virtual std::vector<HotplugEvent> ReadEvents() = 0;
};

// The native monitor (udev on Linux: hidraw nodes; on Windows the device
// notifications of the keyboard interface class). On a machine without a
// device manager it starts and simply never reports anything. Null when it
// cannot be created, with the error number in *error (when given; errno on
// Linux, GetLastError() on Windows).
std::unique_ptr<HotplugMonitor> CreateNativeHotplugMonitor(int* error);

// A monitor fed by Post, from any thread: how an emulated bus raises the same
// reports as the real monitor.
class QueuedHotplugMonitor : public HotplugMonitor {
 public:
  virtual void Post(HotplugEvent event) = 0;
};

// Null when it cannot be created, with the error number in *error.
std::unique_ptr<QueuedHotplugMonitor> CreateQueuedHotplugMonitor(int* error);

}  // namespace kv::hid
