// halt, resume: stop the sensor typing (while it is being set up) and let it
// type again.
#include <kv7700/kv7700.h>

#include <CLI/CLI.hpp>

#include "config_text.h"
#include "context.h"
#include "errors.h"
#include "progress.h"

namespace kv::cli {

namespace {

// The sensor needs this long to settle after a key-send control report.
constexpr std::uint32_t kSettleMs = 2000;

void RunKeySend(Context& context, bool halt) {
  Session& session = context.session;
  session.OpenAll();
  const int device = context.options.device;
  session.Select(device);
  const std::string sensor = session.Describe(device);
  {
    ProgressScope progress(std::string(halt ? "Halting" : "Resuming") + " key sends of " + sensor);
    if (!SendControl(halt ? 1 : 0)) {
      throw LibraryFailure("SendControl on " + sensor, GetLibError(), GetDevError());
    }
    GetClock().SleepMs(kSettleMs);
  }
  if (context.out.IsJson()) {
    context.out.Document(
        {{"sensor", SensorJson(session.Info(device))}, {"key_sends", halt ? "halted" : "resumed"}});
  } else if (halt) {
    context.out.Line("Key sends halted on " + sensor + "; 'kv7700ctl resume' lets it type again.");
  } else {
    context.out.Line("Key sends resumed on " + sensor + ".");
  }
}

}  // namespace

void AddKeySendCommands(CLI::App& app, Command* chosen) {
  app.add_subcommand("halt", "Stop the sensor from typing key strokes")->callback([chosen] {
    *chosen = [](Context& context) { RunKeySend(context, true); };
  });
  app.add_subcommand("resume", "Let the sensor type key strokes again")->callback([chosen] {
    *chosen = [](Context& context) { RunKeySend(context, false); };
  });
}

}  // namespace kv::cli
