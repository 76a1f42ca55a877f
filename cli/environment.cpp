#include "environment.h"

#include <kv7700/native_hid.h>
#include <kv7700/operation_cost.h>

#include "console.h"

namespace kv::cli {

Environment::Environment(const GlobalOptions& options) {
  Clock* base = &GetClock();
  hid::Platform* platform = &hid::NativePlatform();
  if (options.simulated) {
    SimulationSettings settings = SimulationSettings::FromEnvironment();
    // Virtual time only ever applies to emulated sensors: a real sensor needs
    // its 250 ms to prepare each answer.
    if (settings.virtualTime) {
      virtualClock_ = std::make_unique<VirtualClock>();
      base = virtualClock_.get();
    }
    progressClock_ = std::make_unique<ProgressClock>(*base);
    SetClock(progressClock_.get());
    simulation_ = std::make_unique<Simulation>(options.simulate, std::move(settings));
    platform = &simulation_->Sensors().Platform();
  } else {
    progressClock_ = std::make_unique<ProgressClock>(*base);
    SetClock(progressClock_.get());
  }
  Progress::Instance().Enable(IsTerminal(stderr));
  const bool trace = options.trace;
  platform_ = std::make_unique<ObservedPlatform>(
      *platform, [trace](ExchangeKind kind, const hid::Report& report, bool ok) {
        if (trace)
          Progress::Instance().PrintLine(TraceLine(kind, report) + (ok ? "" : " (failed)"));
      });
  hid::SetPlatform(platform_.get());
  SetProgressListener([](const OperationProgress& progress) {
    Progress::Instance().OnReports(progress.reportsDone, progress.reportsExpected);
  });
}

Environment::~Environment() {
  SetProgressListener(nullptr);
  hid::SetPlatform(nullptr);
  SetClock(nullptr);
}

void Environment::Finish() {
  if (simulation_) simulation_->SaveFiles();
}

}  // namespace kv::cli
