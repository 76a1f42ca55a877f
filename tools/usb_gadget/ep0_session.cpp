#include "ep0_session.h"

#include <kv7700/clock.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace kv::usb {

namespace {

// Longer than usbhid's 5 s control timeout, so the host has given up.
constexpr auto kUnansweredHold = std::chrono::milliseconds(6000);
// Half the data bytes of the feature report.
constexpr std::size_t kShortAnswerBytes = 4;

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  char byte[4];
  for (std::uint8_t value : bytes) {
    std::snprintf(byte, sizeof byte, " %02x", value);
    text += byte;
  }
  return text;
}

// The report as the host's buffer holds it: report id, then the wire's bytes.
std::vector<std::uint8_t> WithReportId(const ControlRequest& request,
                                       const std::vector<std::uint8_t>& wire) {
  std::vector<std::uint8_t> report = {static_cast<std::uint8_t>(request.value & 0xFF)};
  report.insert(report.end(), wire.begin(), wire.end());
  return report;
}

ControlRequest FromSetup(const usb_ctrlrequest& setup) {
  return {setup.bRequestType, setup.bRequest, setup.wValue, setup.wIndex, setup.wLength};
}

}  // namespace

Ep0Session::Ep0Session(GadgetfsDevice& device, const UsbIdentity& identity,
                       ControlRequests& requests, FaultPlan& faults,
                       sensor_model::ProtocolWatch* watch, SessionOutput output,
                       std::function<bool()> stopping)
    : device_(device),
      identity_(identity),
      requests_(requests),
      faults_(faults),
      watch_(watch),
      output_(std::move(output)),
      stopping_(std::move(stopping)) {}

Outcome Ep0Session::Handle(const usb_gadgetfs_event& event) {
  switch (event.type) {
    case GADGETFS_SETUP:
      return Setup(FromSetup(event.u.setup));
    case GADGETFS_DISCONNECT:
      device_.DisableEndpoint();
      return Outcome::Continue;
    default:
      return Outcome::Continue;  // connect, suspend
  }
}

bool Ep0Session::Reply(const ControlRequest& request, const ControlAnswer& answer) {
  switch (answer.reply) {
    case Reply::Data:
      return device_.Send(answer.data);
    case Reply::Ack:
      return device_.Acknowledge();
    case Reply::ReceiveData: {
      std::vector<std::uint8_t> data;
      return device_.Receive(request.length, &data);
    }
    case Reply::Stall:
      if (!request.In() && request.length > 0) {
        // gadgetfs has taken this data stage already and cannot stall it:
        // the data is dropped.
        std::vector<std::uint8_t> data;
        return device_.Receive(request.length, &data);
      }
      device_.Stall(request.In());
      return true;
  }
  return false;
}

Outcome Ep0Session::Setup(const ControlRequest& request) {
  if (request.IsGetReport() && watch_) return GetReport(request);
  if (request.IsSetReport() && watch_) return SetReport(request);
  if (request.IsSetConfiguration()) {
    // The endpoint must be ready before the host's next request.
    std::string error;
    if (request.value == 0) {
      device_.DisableEndpoint();
    } else if (!device_.EnableEndpoint(kInterruptEndpointFile, GadgetfsEndpointSetup(identity_),
                                       &error)) {
      std::fprintf(stderr, "kv7700-usb-sensor: %s\n", error.c_str());
    }
  }
  // A host's request the device cannot serve is stalled, as on any device;
  // a failed answer here is the host having gone away.
  Reply(request, requests_.Answer(request));
  return Outcome::Continue;
}

Outcome Ep0Session::GetReport(const ControlRequest& request) {
  watch_->Fetched(GetClock().NowMs());
  const bool feature = (request.value >> 8) == 0x03;
  const std::optional<Fault> fault = feature ? faults_.TakeArmed() : std::nullopt;
  if (fault == Fault::Vanish) {
    output_.say("fault vanish: pulled out while the host waits for an answer");
    return Outcome::Vanished;
  }
  if (fault == Fault::Stall) {
    device_.Stall(true);
    output_.say("fault stall: GET_REPORT stalled");
    return Outcome::Continue;
  }
  if (fault == Fault::Timeout) {
    HoldUnanswered(request);
    return Outcome::Continue;
  }
  ControlAnswer answer = requests_.Answer(request);
  if (fault == Fault::Short && answer.data.size() > kShortAnswerBytes) {
    answer.data.resize(kShortAnswerBytes);
    output_.say("fault short: answered " + std::to_string(kShortAnswerBytes) + " bytes");
  }
  Reply(request, answer);
  if (output_.trace) {
    output_.say("get" + (answer.reply == Reply::Data ? Hex(WithReportId(request, answer.data))
                                                     : std::string(" failed")));
  }
  return Outcome::Continue;
}

Outcome Ep0Session::SetReport(const ControlRequest& request) {
  const ControlAnswer answer = requests_.Answer(request);
  if (answer.reply != Reply::ReceiveData) {
    Reply(request, answer);
    if (output_.trace) output_.say("set refused");
    return Outcome::Continue;
  }
  // gadgetfs has taken the data stage already; the host's call succeeds
  // whatever the sensor makes of the report, as with the real sensor.
  std::vector<std::uint8_t> data;
  if (!device_.Receive(request.length, &data)) {
    // The host's call has succeeded all the same; say what the sensor missed.
    std::fprintf(stderr, "kv7700-usb-sensor: a SET_REPORT's data was lost: %s\n",
                 std::strerror(errno));
    return Outcome::Continue;
  }
  const std::vector<std::uint8_t> report = WithReportId(request, data);
  watch_->Sent(report.data(), report.size(), GetClock().NowMs());
  const bool ok = requests_.Received(request, data.data(), data.size());
  if (output_.trace) output_.say("set" + Hex(report) + (ok ? "" : " refused"));
  return Outcome::Continue;
}

void Ep0Session::HoldUnanswered(const ControlRequest& request) {
  output_.say("fault timeout: GET_REPORT left unanswered");
  const auto until = std::chrono::steady_clock::now() + kUnansweredHold;
  while (std::chrono::steady_clock::now() < until && !stopping_()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  // Leaves gadgetfs's pending request; the host no longer waits for it.
  device_.Stall(request.In());
  output_.say("fault timeout: over");
}

}  // namespace kv::usb
