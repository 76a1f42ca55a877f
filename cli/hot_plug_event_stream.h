// Where 'monitor' learns of devices being plugged in and pulled out: a
// stream it blocks on for the next event, from the system's hot-plug
// monitor or the emulated bus's, driven by the simulation's plug script.
#pragma once

#include <kv7700/hot_plug.h>

#include <memory>
#include <string>

namespace kv::cli {

class Simulation;

enum class WaitResult {
  Event,        // an event was filled in
  Interrupted,  // Ctrl-C
  Finished,     // nothing can ever happen any more
};

class HotPlugEventStream {
 public:
  virtual ~HotPlugEventStream() = default;
  // Blocks until the next event, an interrupt, or the end.
  virtual WaitResult Next(hid::HotPlugEvent* out) = 0;
};

// The system's monitor (udev on Linux); throws a failure when it cannot start.
std::unique_ptr<HotPlugEventStream> MakeSystemHotPlugEventStream();
// The emulated bus's monitor, following the simulation's plug script.
std::unique_ptr<HotPlugEventStream> MakeSimulatedHotPlugEventStream(Simulation& simulation);

}  // namespace kv::cli
