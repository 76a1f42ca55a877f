// list: every sensor found, with its path, USB identity and firmware.
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
  context.session.OpenAll();
  Json sensors = Json::array();
  for (int i = 0; i < context.session.Count(); ++i) {
    const SensorInfo info = context.session.Info(i);
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
    } else if (!info.read) {
      line += "  (configuration not read)";
    }
    entry["configuration_read"] = info.read;
    sensors.push_back(entry);
    context.out.Line(line);
  }
  if (context.out.IsJson()) context.out.Document({{"sensors", sensors}});
}

}  // namespace

void AddListCommand(CLI::App& app, Command* chosen) {
  CLI::App* list = app.add_subcommand("list", "List every sensor found");
  list->callback([chosen] { *chosen = RunList; });
}

}  // namespace kv::cli
