// halt, resume: stop the sensor typing (while it is being set up) and let it
// type again.
#include <kv7700/held_sensor.h>
#include <kv7700/kv7700.h>

#include <CLI/CLI.hpp>

#include "command.h"
#include "config_text.h"
#include "output.h"
#include "progress.h"

namespace kv::cli {

namespace {

class KeySendCommand final : public SensorCommand {
 public:
  explicit KeySendCommand(bool halt) : SensorCommand(Needs::Selection), halt_(halt) {}

 private:
  void Run(Context& context, const Sensor& sensor) override {
    {
      ProgressScope progress(std::string(halt_ ? "Halting" : "Resuming") + " key sends of " +
                             sensor.name);
      // The settle time inside the hold: no other program's exchange comes
      // in while the sensor settles.
      const HeldSensors hold;
      if (!SendControl(halt_ ? 1 : 0)) {
        throw LibraryFailure("SendControl on " + sensor.name, GetLibError(), GetDevError());
      }
      GetClock().SleepMs(kKeySendSettleMs);
    }
    if (context.out.IsJson()) {
      context.out.Document({{"sensor", SensorJson(context.sensors.Info(sensor.index))},
                            {"key_sends", halt_ ? "halted" : "resumed"}});
    } else if (halt_) {
      context.out.Line("Key sends halted on " + sensor.name +
                       ": it stays halted, typing nothing when you walk away or come back, until "
                       "'kv7700ctl resume'.");
    } else {
      context.out.Line("Key sends resumed on " + sensor.name + ".");
    }
  }

  bool halt_;
};

}  // namespace

void AddKeySendCommands(CLI::App& app, Command* chosen) {
  AddSensorCommand(app, chosen, "halt", "Stop the sensor from typing key strokes",
                   std::make_shared<KeySendCommand>(true));
  AddSensorCommand(app, chosen, "resume", "Let the sensor type key strokes again",
                   std::make_shared<KeySendCommand>(false));
}

}  // namespace kv::cli
