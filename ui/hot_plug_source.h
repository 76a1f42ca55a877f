// Sensors plugged in and pulled out while the window runs. A host connects a
// source (the library's hot-plug monitor watched by its event loop, or the
// emulated bus) to the sheet, which is the sink.
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

class HotPlugSource {
 public:
  virtual ~HotPlugSource() = default;
  // Starts reporting to `sink` until the source is destroyed. False when it
  // cannot, with the system's error number in `*error`.
  virtual bool Start(HotPlugSink& sink, unsigned long* error) = 0;
};

}  // namespace kv::ui
