// show: the four records of one sensor, field by field.
#include <CLI/CLI.hpp>

#include "config_text.h"
#include "context.h"
#include "sensor_access.h"

namespace kv::cli {

namespace {

void RunShow(Context& context) {
  Session& session = context.session;
  session.OpenAll();
  const int device = context.options.device;
  session.SelectRead(device);
  const SensorInfo info = session.Info(device);
  session.Select(device);
  const Configuration config = CachedConfiguration(session.Describe(device));

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
  show->callback([chosen] { *chosen = RunShow; });
}

}  // namespace kv::cli
