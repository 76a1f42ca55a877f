// list: every sensor found, with its path, USB identity and firmware.
#include <kv7700/device_info.h>

#include <CLI/CLI.hpp>
#include <cstdio>

#include "command.h"
#include "output.h"

namespace kv::cli {

namespace {

std::string Hex4(std::uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04x", value);
  return text;
}

void RunList(Context& context) {
  context.sensors.OpenAll();
  Json sensors = Json::array();
  int unread = 0;
  for (int i = 0; i < context.sensors.Count(); ++i) {
    // Discovery stops at the first sensor it cannot read; the rest are read
    // here, so each one's line tells its own state.
    context.sensors.TryRead(i);
    const SensorInfo info = context.sensors.Info(i);
    if (!info.recordsRead) ++unread;
    Json entry = {{"index", info.index},
                  {"path", info.path},
                  {"vendor_id", Hex4(info.vendorId)},
                  {"product_id", Hex4(info.productId)},
                  {"firmware", FirmwareText(info.firmware)},
                  {"firmware_word", info.firmware}};
    std::string line = std::to_string(info.index) + "  " + info.path + "  " + Hex4(info.vendorId) +
                       ":" + Hex4(info.productId) + "  firmware " + FirmwareText(info.firmware);
    if (info.readError != 0) {
      entry["error"] = StatusWord(info.readError);
      line += "  (configuration read failed with status " + StatusWord(info.readError) + ": " +
              ExplainDevError(info.readError) + ")";
    } else if (!info.recordsRead) {
      line += "  (configuration not read)";
    }
    entry["configuration_read"] = info.recordsRead;
    sensors.push_back(entry);
    context.out.Line(line);
  }
  if (context.out.IsJson()) context.out.Document({{"sensors", sensors}});
  // A sensor present but unusable is a failure, even beside sensors that work.
  unread += static_cast<int>(GetAccessDeniedPaths().size());
  if (unread > 0) {
    throw Failure(std::to_string(unread) + (unread == 1 ? " sensor" : " sensors") +
                  " present could not be read; see the list above.");
  }
}

}  // namespace

void AddListCommand(CLI::App& app, Command* chosen) {
  CLI::App* list = app.add_subcommand("list", "List every sensor found");
  list->callback([chosen] { *chosen = RunList; });
}

}  // namespace kv::cli
