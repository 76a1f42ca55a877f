// Faults the USB sensor can show, one at a time: each arming takes the next
// fault of the plan, and the next GET_REPORT of the feature report meets it.
// gadgetfs takes a SET_REPORT's data before this program sees the request,
// so only a GET_REPORT can be stalled or left unanswered.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kv::usb {

enum class Fault {
  Stall,    // the control pipe stalls: the host's call fails with EPIPE
  Timeout,  // never answered: the host gives up after its 5 s control timeout
  Short,    // four of the eight data bytes
  Vanish,   // the sensor leaves the bus while the host waits for the answer
};

std::optional<Fault> ParseFault(const std::string& name);
std::string FaultName(Fault fault);

class FaultPlan {
 public:
  explicit FaultPlan(std::vector<Fault> faults) : faults_(std::move(faults)) {}

  // Arms the plan's next fault; nothing when every one has been armed.
  std::optional<Fault> ArmNext();
  // The armed fault, taken by the GET_REPORT that meets it.
  std::optional<Fault> TakeArmed();

 private:
  std::vector<Fault> faults_;
  std::size_t next_ = 0;
  std::optional<Fault> armed_;
};

}  // namespace kv::usb
