// show: the four records of one sensor, field by field.
#include <CLI/CLI.hpp>

#include "command.h"
#include "config_text.h"

namespace kv::cli {

namespace {

class ShowCommand final : public SensorCommand {
  void Run(Context& context, const Sensor& sensor) override {
    const Configuration& config = sensor.config;
    if (context.out.IsJson()) {
      Json document = {{"sensor", SensorJson(sensor.info)}};
      for (RecordKind record : kAllRecords) {
        document[RecordName(record)] = RecordJson(record, config);
      }
      document["key_sequences"] = KeySequencesJson(config);
      context.out.Document(document);
      return;
    }
    context.out.Line(SensorHeading(sensor.info));
    for (RecordKind record : kAllRecords) {
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
};

}  // namespace

void AddShowCommand(CLI::App& app, Command* chosen) {
  AddSensorCommand(app, chosen, "show", "Show the configuration of a sensor",
                   std::make_shared<ShowCommand>());
}

}  // namespace kv::cli
