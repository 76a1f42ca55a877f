// monitor: prints sensors being plugged in and pulled out, as it happens.
#include <kv7700/device_info.h>
#include <kv7700/hid.h>
#include <kv7700/kv7700.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <optional>

#include "command.h"
#include "hot_plug_event_stream.h"
#include "output.h"
#include "progress.h"

namespace kv::cli {

namespace {

struct MonitorOptions {
  int count = 0;  // 0: until interrupted
};

bool IsOpen(const std::string& path) {
  for (int i = 0; i < GetDeviceCount(); ++i) {
    if (hid::GetPlatform().PathsEqual(GetDevicePath(static_cast<SensorIndex>(i)), path))
      return true;
  }
  return false;
}

// What one notice means for the sensors; nothing for devices that are no
// sensor, nor for a sensor the start-up enumeration already opened.
std::optional<Json> Interpret(const hid::HotPlugEvent& notice) {
  if (notice.kind == hid::HotPlugEvent::Kind::Removed) {
    if (!DeviceRemoved(notice.path.c_str())) return std::nullopt;
    return Json{{"event", "removed"}, {"path", notice.path}};
  }
  if (!hid::GetPlatform().PathNamesSensor(notice.path) || IsOpen(notice.path)) return std::nullopt;
  if (DeviceArrived(notice.path.c_str())) {
    return Json{{"event", "added"},
                {"path", notice.path},
                {"index", GetDeviceCount() - 1},
                {"accessible", true}};
  }
  const std::vector<std::string> denied = GetAccessDeniedPaths();
  const bool isDenied = std::find(denied.begin(), denied.end(), notice.path) != denied.end();
  return Json{{"event", "added"},
              {"path", notice.path},
              {"accessible", false},
              {"reason", isDenied ? "access denied" : ExplainLibError(GetLibError())}};
}

std::string EventText(const Json& event) {
  const std::string path = event["path"];
  if (event["event"] == "removed") return "sensor pulled out: " + path;
  if (event["accessible"]) return "sensor plugged in: " + path;
  return "sensor plugged in: " + path + ", but it cannot be opened (" +
         event["reason"].get<std::string>() + ")";
}

void RunMonitor(Context& context, const MonitorOptions& options) {
  // The monitor starts before the sensors present are enumerated, so one
  // plugged in while they are read is reported rather than lost.
  InterruptGuard interrupts;
  std::unique_ptr<HotPlugEventStream> source =
      context.simulation ? MakeSimulatedHotPlugEventStream(*context.simulation)
                         : MakeSystemHotPlugEventStream();
  // Sensors already present are opened, so that pulling them out is
  // recognised; having none is fine here.
  context.sensors.OpenPresent();
  const Output& out = context.out;
  Progress::Instance().PrintLine("kv7700ctl: watching for sensors (" +
                                 std::to_string(GetDeviceCount()) + " present); Ctrl-C stops.");
  if (out.IsJson()) out.Raw("[\n");
  int seen = 0;
  hid::HotPlugEvent notice;
  while ((options.count == 0 || seen < options.count) && !out.Closed()) {
    if (source->Next(&notice) != WaitResult::Event) break;
    const std::optional<Json> event = Interpret(notice);
    if (!event) continue;
    out.Raw(out.IsJson() ? std::string(seen ? ",\n  " : "  ") + event->dump()
                         : EventText(*event) + "\n");
    if (event->value("reason", "") == "access denied" && !out.IsJson()) {
      Progress::Instance().PrintLine(AccessDeniedMessage({notice.path}));
    }
    ++seen;
  }
  if (out.IsJson()) out.Raw(seen ? "\n]\n" : "]\n");
}

}  // namespace

void AddMonitorCommand(CLI::App& app, Command* chosen) {
  auto options = std::make_shared<MonitorOptions>();
  CLI::App* monitor =
      app.add_subcommand("monitor", "Print sensors being plugged in and pulled out");
  monitor->add_option("--count", options->count, "Stop after N events")
      ->type_name("N")
      ->check(CLI::PositiveNumber);
  monitor->callback([chosen, options] {
    *chosen = [options](Context& context) { RunMonitor(context, *options); };
  });
}

}  // namespace kv::cli
