// kv7700-usb-sensor: a KV7700 on a real USB bus without the hardware. It puts
// a USB device with the sensor's identity (a HID boot keyboard carrying the
// feature report) on the software USB controller dummy_hcd through gadgetfs,
// so the kernel's usbhid drives it as it drives a plugged-in sensor, and
// answers its control requests with the emulated sensor's firmware model,
// optionally kept in a --simulate-style sensor file.
//
// Standard output says when the node is ready ("ready /dev/hidraw3"), each
// armed fault and what it did; --trace adds every feature report, as the
// host's buffer holds it ("set 00 80 00 ...", "get 00 00 32 ..."). On its
// way out it counts protocol violations as kv7700-uhid-sensor does.
#include <kv7700/sensor_firmware.h>
#include <kv7700/sensor_identity.h>
#include <sched.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "control_requests.h"
#include "ep0_session.h"
#include "fault_plan.h"
#include "feature_answers.h"
#include "gadgetfs_device.h"
#include "hidraw_node.h"
#include "protocol_watch.h"
#include "report_descriptor.h"
#include "sensor_options.h"
#include "usb_descriptors.h"

namespace {

using kv::sensor_model::Say;

volatile std::sig_atomic_t g_stop = 0;
volatile std::sig_atomic_t g_arm = 0;

void OnStopSignal(int) {
  g_stop = 1;
}

void OnArmSignal(int) {
  g_arm = g_arm + 1;
}

// Without SA_RESTART, so the wait for the host's next event returns.
void CatchSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  action.sa_handler = OnArmSignal;
  sigaction(SIGUSR1, &action, nullptr);
}

struct Options : kv::sensor_model::SensorOptions {
  std::vector<kv::usb::Fault> faults;
  std::string gadgetfs = "/dev/gadget";
  std::string controller = "dummy_udc";
};

kv::usb::UsbIdentity IdentityOf(std::uint16_t vendor, const Options& options, std::uint16_t release,
                                bool isSensor) {
  kv::usb::UsbIdentity identity;
  identity.vendor = vendor;
  identity.product = options.product;
  identity.release = release;
  identity.manufacturer = isSensor ? "KV7700" : "Virtual";
  identity.productName = isSensor ? "KV7700 virtual USB sensor" : "Virtual USB HID device";
  identity.serial = "kv7700-usb-" + std::to_string(::getpid());
  // The foreign device is a security key: 64-byte reports, no keyboard.
  identity.bootKeyboard = isSensor;
  identity.interruptPacketSize = isSensor ? 8 : 64;
  identity.reportDescriptor = isSensor ? kv::sensor_model::SensorReportDescriptor()
                                       : kv::sensor_model::ForeignReportDescriptor();
  return identity;
}

// gadgetfs takes a SET_REPORT's data, which ends the host's call, before
// this program reads the request. The firmware model times its answer (and
// a memory command's busy time) from when it is handed the request, so it
// must be handed it before the host's program runs again and starts its
// 250 ms wait: at real-time priority this program runs first whenever the
// kernel has a request for it.
void RunBeforeHosts() {
  sched_param param{};
  param.sched_priority = 10;
  if (sched_setscheduler(0, SCHED_FIFO, &param) != 0) {
    std::fprintf(stderr,
                 "kv7700-usb-sensor: no real-time priority (%s): under load the sensor may see "
                 "requests late and answer stale reports\n",
                 std::strerror(errno));
  }
}

int Run(const Options& options) {
  std::string error;
  const std::unique_ptr<kv::emu::SensorFirmware> sensor =
      kv::emu::SensorFirmware::Open(options.file, options.firmware, &error);
  if (!sensor) {
    std::fprintf(stderr, "kv7700-usb-sensor: %s: %s\n", options.file.c_str(), error.c_str());
    return 1;
  }
  const std::uint16_t vendor = options.vendorGiven ? options.vendor : sensor->VendorId();
  const bool isSensor = kv::hid::IsSensorIdentity(vendor, options.product);
  const kv::usb::UsbIdentity identity =
      IdentityOf(vendor, options, sensor->ReleaseNumber(), isSensor);
  kv::sensor_model::FeatureAnswers answers(*sensor, options.answerBytes);
  kv::usb::ControlRequests requests(identity, isSensor ? &answers : nullptr);
  kv::usb::FaultPlan faults(options.faults);
  kv::sensor_model::ProtocolWatch watch;

  RunBeforeHosts();
  std::unique_ptr<kv::usb::GadgetfsDevice> device = kv::usb::GadgetfsDevice::Open(
      options.gadgetfs, options.controller, kv::usb::GadgetfsDeviceSetup(identity), &error);
  if (!device) {
    std::fprintf(stderr,
                 "kv7700-usb-sensor: %s (it needs root and the modules dummy_hcd and gadgetfs: "
                 "modprobe dummy_hcd gadgetfs)\n",
                 error.c_str());
    return 1;
  }
  kv::usb::Ep0Session session(*device, identity, requests, faults, isSensor ? &watch : nullptr,
                              {Say, options.trace}, [] { return g_stop != 0; });

  // The node appears once the host has enumerated the device and bound
  // usbhid, which needs this loop's answers: look for it between events.
  using Clock = std::chrono::steady_clock;
  const Clock::time_point nodeDeadline = Clock::now() + std::chrono::seconds(15);
  bool ready = false;
  int armed = 0;
  std::vector<usb_gadgetfs_event> events;
  kv::usb::Outcome outcome = kv::usb::Outcome::Continue;
  while (!g_stop && outcome == kv::usb::Outcome::Continue) {
    for (; armed < g_arm; ++armed) {
      const std::optional<kv::usb::Fault> fault = faults.ArmNext();
      Say(fault ? "armed " + kv::usb::FaultName(*fault) : std::string("no fault left to arm"));
    }
    if (!ready) {
      const std::string node = kv::sensor_model::FindHidrawNode(identity.serial);
      if (!node.empty() || Clock::now() > nodeDeadline) {
        Say("ready " + (node.empty() ? std::string("(no hidraw node)") : node));
        ready = true;
      }
    }
    int code = 0;
    if (!device->Wait(ready ? -1 : 20, &events, &code)) {
      if (code == EINTR) continue;
      std::fprintf(stderr, "kv7700-usb-sensor: reading ep0: %s\n", std::strerror(code));
      outcome = kv::usb::Outcome::Failed;
      break;
    }
    for (const usb_gadgetfs_event& event : events) {
      outcome = session.Handle(event);
      if (outcome != kv::usb::Outcome::Continue) break;
    }
  }
  device.reset();  // unplugged
  if (isSensor) Say(watch.Summary());
  if (isSensor && !sensor->Save(vendor, &error)) {
    std::fprintf(stderr, "kv7700-usb-sensor: %s: %s\n", options.file.c_str(), error.c_str());
    return 1;
  }
  return outcome == kv::usb::Outcome::Failed ? 1 : 0;
}

int Main(int argc, char** argv) {
  CLI::App app{
      "A virtual KV7700 on a real USB bus: a USB device on the software controller dummy_hcd, "
      "made through gadgetfs (mounted on --gadgetfs when it is not yet), answering with the "
      "emulated sensor's firmware. Needs root and the modules dummy_hcd and gadgetfs; one such "
      "device at a time. Prints \"ready /dev/hidrawN\" once usbhid has bound it; runs until "
      "SIGINT or SIGTERM, which unplugs it. Each SIGUSR1 arms the next --fault, which the next "
      "GET_REPORT of the feature report meets"};
  Options options;
  kv::sensor_model::SensorOptionParser sensorOptions(app, options);
  std::vector<std::string> faults;
  app.add_option("--fault", faults,
                 "A fault for SIGUSR1 to arm, in the order given: stall (the control pipe "
                 "stalls), timeout (no answer; the sensor takes no request for 6 s, past the "
                 "host's 5 s timeout, then says \"fault timeout: over\"), short (4 data bytes), "
                 "vanish (leaves the bus while the host waits, and exits)")
      ->type_name("KIND");
  app.add_option("--gadgetfs", options.gadgetfs, "Where gadgetfs is mounted (default /dev/gadget)")
      ->type_name("DIR");
  app.add_option("--controller", options.controller,
                 "The gadget controller's file there (default dummy_udc)")
      ->type_name("NAME");
  try {
    app.parse(argc, argv);
    sensorOptions.Finish();
    for (const std::string& name : faults) {
      const std::optional<kv::usb::Fault> fault = kv::usb::ParseFault(name);
      if (!fault)
        throw CLI::ValidationError("--fault " + name + ": stall, timeout, short or vanish");
      options.faults.push_back(*fault);
    }
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kv7700-usb-sensor: %s\n", e.what());
    return 2;
  }
  CatchSignals();
  return Run(options);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Main(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kv7700-usb-sensor: unexpected failure: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "kv7700-usb-sensor: unexpected failure\n");
  }
  return 1;
}
