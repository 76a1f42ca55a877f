// show: the four records of one sensor, field by field.
#include <kv7700/factory_defaults.h>

#include <CLI/CLI.hpp>
#include <memory>

#include "config_text.h"
#include "context.h"
#include "sensor_access.h"

namespace kv::cli {

namespace {

// Only what differs from the factory defaults: "PingRateS 200 -> 300".
void ShowChanged(Context& context, const SensorInfo& info, const Configuration& config) {
  const Configuration defaults = FactoryDefaults();
  if (context.out.IsJson()) {
    context.out.Document(
        {{"sensor", SensorJson(info)}, {"changed_from_factory", ChangesJson(defaults, config)}});
    return;
  }
  context.out.Line(SensorHeading(info));
  const std::vector<std::string> lines = ChangeLines(defaults, config, info.firmware);
  context.out.Line(lines.empty() ? "As the factory set it: no field differs."
                                 : "Changed from the factory defaults (factory -> sensor):");
  for (const std::string& line : lines) context.out.Line(line);
}

void RunShow(Context& context, bool changedOnly) {
  Session& session = context.session;
  session.OpenAll();
  const int device = context.options.device;
  session.SelectRead(device);
  const SensorInfo info = session.Info(device);
  session.Select(device);
  const Configuration config = CachedConfiguration(session.Describe(device));
  if (changedOnly) {
    ShowChanged(context, info, config);
    return;
  }

  if (context.out.IsJson()) {
    Json document = {{"sensor", SensorJson(info)}};
    for (RecordKind record : kAllRecords) document[RecordName(record)] = RecordJson(record, config);
    document["key_sequences"] = KeySequencesJson(config);
    context.out.Document(document);
    return;
  }
  context.out.Line(SensorHeading(info));
  for (RecordKind record : kAllRecords) {
    context.out.Line("");
    context.out.Line(RecordName(record));
    for (const std::string& line : RecordLines(record, config, info.firmware)) {
      context.out.Line(line);
    }
  }
  context.out.Line("");
  context.out.Line("Key sequences");
  for (const std::string& line : KeySequenceLines(config)) context.out.Line(line);
}

}  // namespace

void AddShowCommand(CLI::App& app, Command* chosen) {
  CLI::App* show = app.add_subcommand("show", "Show the configuration of a sensor");
  auto changedOnly = std::make_shared<bool>(false);
  show->add_flag("--changed", *changedOnly,
                 "Only the fields that differ from the factory defaults");
  show->callback([chosen, changedOnly] {
    *chosen = [changedOnly](Context& context) { RunShow(context, *changedOnly); };
  });
}

}  // namespace kv::cli
