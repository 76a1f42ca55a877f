#include "fault_plan.h"

#include <array>
#include <utility>

namespace kv::usb {

namespace {

constexpr std::array<std::pair<Fault, const char*>, 4> kNames = {{
    {Fault::Stall, "stall"},
    {Fault::Timeout, "timeout"},
    {Fault::Short, "short"},
    {Fault::Vanish, "vanish"},
}};

}  // namespace

std::optional<Fault> ParseFault(const std::string& name) {
  for (const auto& [fault, text] : kNames) {
    if (name == text) return fault;
  }
  return std::nullopt;
}

std::string FaultName(Fault fault) {
  for (const auto& [known, text] : kNames) {
    if (known == fault) return text;
  }
  return "?";
}

std::optional<Fault> FaultPlan::ArmNext() {
  if (next_ >= faults_.size()) return std::nullopt;
  armed_ = faults_[next_++];
  return armed_;
}

std::optional<Fault> FaultPlan::TakeArmed() {
  return std::exchange(armed_, std::nullopt);
}

}  // namespace kv::usb
