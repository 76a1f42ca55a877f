// Everything a run sets up around the library and takes down afterwards: the
// clock (with progress, virtual for tests), the platform (hardware or
// emulated, observed for --trace) and the emulated sensors.
#pragma once

#include <kv7700/clock.h>

#include <memory>

#include "command.h"
#include "observed_platform.h"
#include "progress.h"
#include "simulation.h"

namespace kv::cli {

class Environment {
 public:
  explicit Environment(const GlobalOptions& options);
  ~Environment();
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;

  Simulation* GetSimulation() { return simulation_.get(); }
  // Keeps what the emulated sensors hold in their files.
  void Finish();

 private:
  std::unique_ptr<VirtualClock> virtualClock_;
  std::unique_ptr<ProgressClock> progressClock_;
  std::unique_ptr<Simulation> simulation_;
  std::unique_ptr<ObservedPlatform> platform_;
};

}  // namespace kv::cli
