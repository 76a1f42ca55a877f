// kv7700-uhid-sensor: a KV7700 on the real kernel without the hardware. It
// creates a HID device through /dev/uhid with the sensor's USB identity and
// report layout, and answers its feature reports with the emulated sensor's
// firmware model (the one behind --simulate), optionally kept in a
// --simulate-style sensor file. With other ids it is a foreign HID device
// that answers nothing, for checking that tools leave such devices alone.
//
// Standard output says when the node is ready and when the device is opened
// or closed: "ready /dev/hidraw3", "opened /dev/hidraw3", "closed ...". A
// sensor is a keyboard, which the console's keyboard handler opens at once;
// the foreign device is a security key, opened only by a host. --trace adds
// every feature report: "set 00 80 00 ...", "get 00 00 32 ...". On its way
// out it counts the requests that another overtook before their answer was
// fetched and the answers fetched too early: "protocol violations: 0 (...)".
#include <kv7700/clock.h>
#include <kv7700/sensor_firmware.h>
#include <kv7700/sensor_identity.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

#include "feature_answers.h"
#include "hidraw_node.h"
#include "protocol_watch.h"
#include "report_descriptor.h"
#include "sensor_options.h"
#include "uhid_device.h"

namespace {

using kv::sensor_model::Say;

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int) {
  g_stop = 1;
}

// Without SA_RESTART, so the blocking read of the next event returns.
void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

using Options = kv::sensor_model::SensorOptions;

std::string Hex(const std::uint8_t* bytes, std::size_t size) {
  std::string text;
  char byte[4];
  for (std::size_t i = 0; i < size; ++i) {
    std::snprintf(byte, sizeof byte, " %02x", bytes[i]);
    text += byte;
  }
  return text;
}

// The node appears while the kernel binds its driver, just after START.
std::string WaitForNode(const std::string& uniq) {
  for (int attempt = 0; attempt < 300 && !g_stop; ++attempt) {
    if (std::string node = kv::sensor_model::FindHidrawNode(uniq); !node.empty()) return node;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return {};
}

kv::sensor_model::ReportType TypeOf(std::uint8_t rtype) {
  switch (rtype) {
    case UHID_FEATURE_REPORT:
      return kv::sensor_model::ReportType::Feature;
    case UHID_OUTPUT_REPORT:
      return kv::sensor_model::ReportType::Output;
    default:
      return kv::sensor_model::ReportType::Input;
  }
}

int Run(const Options& options) {
  std::string error;
  const std::unique_ptr<kv::emu::SensorFirmware> sensor =
      kv::emu::SensorFirmware::Open(options.file, options.firmware, &error);
  if (!sensor) {
    std::fprintf(stderr, "kv7700-uhid-sensor: %s: %s\n", options.file.c_str(), error.c_str());
    return 1;
  }
  const std::uint16_t vendor = options.vendorGiven ? options.vendor : sensor->VendorId();
  const bool isSensor = kv::hid::IsSensorIdentity(vendor, options.product);
  kv::sensor_model::FeatureAnswers answers(*sensor, options.answerBytes);

  kv::uhid::DeviceIdentity identity;
  identity.name = isSensor ? "KV7700 virtual sensor" : "Virtual HID device";
  identity.uniq = "kv7700-uhid-" + std::to_string(::getpid());
  identity.vendor = vendor;
  identity.product = options.product;
  identity.version = sensor->ReleaseNumber();
  int code = 0;
  std::unique_ptr<kv::uhid::UhidDevice> device =
      kv::uhid::UhidDevice::Create(identity,
                                   isSensor ? kv::sensor_model::SensorReportDescriptor()
                                            : kv::sensor_model::ForeignReportDescriptor(),
                                   &code);
  if (!device) {
    std::fprintf(stderr,
                 "kv7700-uhid-sensor: cannot create the device on /dev/uhid: %s (it needs root or "
                 "write access to /dev/uhid, and the uhid module: modprobe uhid)\n",
                 std::strerror(code));
    return 1;
  }

  kv::sensor_model::ProtocolWatch watch;
  std::string node;
  while (!g_stop) {
    const std::optional<uhid_event> event = device->Next(&code);
    if (!event) {
      if (code == EINTR) continue;
      std::fprintf(stderr, "kv7700-uhid-sensor: reading /dev/uhid: %s\n", std::strerror(code));
      break;
    }
    switch (event->type) {
      case UHID_START:
        node = WaitForNode(identity.uniq);
        Say("ready " + (node.empty() ? std::string("(no hidraw node)") : node));
        break;
      case UHID_OPEN:
        Say("opened " + node);
        break;
      case UHID_CLOSE:
        Say("closed " + node);
        break;
      case UHID_GET_REPORT: {
        const auto& request = event->u.get_report;
        kv::sensor_model::GetAnswer answer;
        if (isSensor) {
          watch.Fetched(kv::GetClock().NowMs());
          answer = answers.Get(request.rnum, TypeOf(request.rtype));
        }
        device->ReplyGet(request.id, answer.ok, answer.bytes);
        if (options.trace) {
          Say("get" + (answer.ok ? Hex(answer.bytes.data(), answer.bytes.size()) : " failed"));
        }
        break;
      }
      case UHID_SET_REPORT: {
        const auto& request = event->u.set_report;
        const std::size_t size = std::min<std::size_t>(request.size, UHID_DATA_MAX);
        if (isSensor) watch.Sent(request.data, size, kv::GetClock().NowMs());
        const bool ok =
            isSensor && answers.Set(request.rnum, TypeOf(request.rtype), request.data, size);
        device->ReplySet(request.id, ok);
        if (options.trace) Say("set" + Hex(request.data, size) + (ok ? "" : " refused"));
        break;
      }
      default:
        break;  // output reports (keyboard LEDs) and STOP need no answer
    }
  }
  device.reset();  // unplugged
  if (isSensor) Say(watch.Summary());
  if (isSensor && !sensor->Save(vendor, &error)) {
    std::fprintf(stderr, "kv7700-uhid-sensor: %s: %s\n", options.file.c_str(), error.c_str());
    return 1;
  }
  return 0;
}

int Main(int argc, char** argv) {
  CLI::App app{
      "A virtual KV7700 on /dev/uhid, answering with the emulated sensor's firmware; runs until "
      "SIGINT or SIGTERM, which unplugs it"};
  Options options;
  kv::sensor_model::SensorOptionParser sensorOptions(app, options);
  try {
    app.parse(argc, argv);
    sensorOptions.Finish();
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kv7700-uhid-sensor: %s\n", e.what());
    return 2;
  }
  CatchStopSignals();
  return Run(options);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Main(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kv7700-uhid-sensor: unexpected failure: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "kv7700-uhid-sensor: unexpected failure\n");
  }
  return 1;
}
