// Sensors plugged in and pulled out while the window runs, pushed to the
// sheet. A host connects a notifier (the library's hot-plug monitor watched
// by its event loop, the emulated bus, or the window's own device
// notifications) to the sheet, which is the sink. Unlike kv7700ctl's event
// stream, nothing here blocks: the window's loop calls in.
#pragma once

#include <string>

namespace kv::ui {

class HotPlugSink {
 public:
  virtual ~HotPlugSink() = default;
  // An interface appeared or disappeared at `path` (any device, not only
  // sensors: the library tells). Called on the window thread.
  virtual void OnDeviceArrival(const std::string& path) = 0;
  virtual void OnDeviceRemoval(const std::string& path) = 0;
};

// Tells a sink of each arrival and removal, on the window thread.
class HotPlugNotifier {
 public:
  virtual ~HotPlugNotifier() = default;
  // Starts reporting to `sink` until the notifier is destroyed. False when it
  // cannot, with the system's error number in `*error`.
  virtual bool Start(HotPlugSink& sink, unsigned long* error) = 0;
};

}  // namespace kv::ui
