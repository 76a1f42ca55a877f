// show: the four records of one sensor, field by field; with --changed only
// the fields that differ from the factory defaults.
#include <kv7700/factory_defaults.h>

#include <CLI/CLI.hpp>
#include <memory>

#include "command.h"
#include "config_text.h"

namespace kv::cli {

namespace {

class ShowCommand final : public SensorCommand {
 public:
  bool changedOnly = false;

 private:
  void Run(Context& context, const Sensor& sensor) override {
    if (changedOnly) {
      ShowChanged(context, sensor);
      return;
    }
    const RecordSet& config = sensor.config;
    if (context.out.IsJson()) {
      Json document = {{"sensor", SensorJson(sensor.info)}};
      for (RecordKind record : kRecordKinds) {
        document[RecordName(record)] = RecordJson(record, config);
      }
      document["key_sequences"] = KeySequencesJson(config);
      context.out.Document(document);
      return;
    }
    context.out.Line(SensorHeading(sensor.info));
    for (RecordKind record : kRecordKinds) {
      context.out.Line("");
      context.out.Line(RecordName(record));
      for (const std::string& line : RecordLines(record, config, sensor.info.firmware)) {
        context.out.Line(line);
      }
    }
    context.out.Line("");
    context.out.Line("Key sequences");
    for (const std::string& line : KeySequenceLines(config)) context.out.Line(line);
  }

  // Only what differs from the factory defaults: "PingRateS 200 -> 300".
  static void ShowChanged(Context& context, const Sensor& sensor) {
    const RecordSet defaults = FactoryDefaults();
    if (context.out.IsJson()) {
      context.out.Document({{"sensor", SensorJson(sensor.info)},
                            {"changed_from_factory", ChangesJson(defaults, sensor.config)}});
      return;
    }
    context.out.Line(SensorHeading(sensor.info));
    const std::vector<std::string> lines =
        ChangeLines(defaults, sensor.config, sensor.info.firmware);
    context.out.Line(lines.empty() ? "As the factory set it: no field differs."
                                   : "Changed from the factory defaults (factory -> sensor):");
    for (const std::string& line : lines) context.out.Line(line);
  }
};

}  // namespace

void AddShowCommand(CLI::App& app, Command* chosen) {
  auto command = std::make_shared<ShowCommand>();
  CLI::App* show =
      AddSensorCommand(app, chosen, "show", "Show the configuration of a sensor", command);
  show->add_flag("--changed", command->changedOnly,
                 "Only the fields that differ from the factory defaults");
}

}  // namespace kv::cli
