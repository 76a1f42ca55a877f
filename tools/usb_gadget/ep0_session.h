// The USB sensor's side of the control pipe: takes each event gadgetfs
// reports on ep0 and answers the host's control requests, through the
// firmware model, meeting the fault plan's armed fault on the way.
#pragma once

#include <linux/usb/gadgetfs.h>

#include <functional>
#include <string>

#include "control_requests.h"
#include "fault_plan.h"
#include "gadgetfs_device.h"
#include "protocol_watch.h"
#include "usb_descriptors.h"

namespace kv::usb {

// The interrupt-IN endpoint's file on dummy_hcd.
inline constexpr const char* kInterruptEndpointFile = "ep5in-int";

enum class Outcome { Continue, Vanished, Failed };

struct SessionOutput {
  std::function<void(const std::string&)> say;  // one line on standard output
  bool trace = false;                           // every feature report too
};

class Ep0Session {
 public:
  // `watch` null: a foreign device, whose requests are not the sensor's.
  Ep0Session(GadgetfsDevice& device, const UsbIdentity& identity, ControlRequests& requests,
             FaultPlan& faults, sensor_model::ProtocolWatch* watch, SessionOutput output,
             std::function<bool()> stopping);

  Outcome Handle(const usb_gadgetfs_event& event);

 private:
  Outcome Setup(const ControlRequest& request);
  Outcome GetReport(const ControlRequest& request);
  Outcome SetReport(const ControlRequest& request);
  void HoldUnanswered(const ControlRequest& request);
  bool Reply(const ControlRequest& request, const ControlAnswer& answer);

  GadgetfsDevice& device_;
  const UsbIdentity& identity_;
  ControlRequests& requests_;
  FaultPlan& faults_;
  sensor_model::ProtocolWatch* watch_;
  SessionOutput output_;
  std::function<bool()> stopping_;
};

}  // namespace kv::usb
