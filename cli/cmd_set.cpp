// set NAME=VALUE ...: checks every name and value before any sensor is
// touched, changes the fields through the library's Set operations of the
// records they belong to, then writes those records with one write.
#include <kv7700/held_sensor.h>
#include <kv7700/status_codes.h>
#include <kv7700/template_file.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "config_text.h"
#include "held_turns.h"
#include "output.h"
#include "verify.h"

namespace kv::cli {

namespace {

// One NAME=VALUE argument, checked: the field and its new value.
struct Assignment {
  const Field* field;
  std::uint16_t value;
};

// Words the user does not set, and why.
std::string WhyNotSettable(const Field& field) {
  switch (field.access) {
    case FieldAccess::Settable:
      return {};
    case FieldAccess::ReadOnly:
      return field.unit == FieldUnit::CycleCount
                 ? "is the sensor's 40 kHz cycle count and is read-only"
                 : "is read-only";
    case FieldAccess::SensorKept:
      return "is reserved: the sensor keeps its own value and a write never changes it";
  }
  return {};
}

// The largest value of a byte word that reaches the sensor whole: a write
// drops the bits the sensor does not keep. A checked word is left to its
// check within the byte, so a refusal names the range it is held to.
unsigned WireMax(const Field& field) {
  return field.check.code != 0 ? 0xFF : field.wireBits;
}

std::string DoesNotFit(const Field& field, const std::string& text) {
  const std::string name(field.name);
  const unsigned most = WireMax(field);
  const std::string kept =
      most == 0xFF ? "in one byte" : "in its low " + std::to_string(std::popcount(most)) + " bits";
  return name + " = " + text + " does not fit: the sensor keeps " + name + " " + kept + ", 0 to " +
         std::to_string(most) + ". Nothing was sent.";
}

// A whole number, decimal or hexadecimal with 0x.
bool ParseValue(std::string_view text, unsigned long* out) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  }
  const char* end = text.data() + text.size();
  auto [ptr, error] = std::from_chars(text.data(), end, *out, base);
  return !text.empty() && error == std::errc() && ptr == end;
}

// Every argument must name a settable field and give a value that fits it;
// throws a usage error naming the first bad argument.
std::vector<Assignment> ParseAssignments(const std::vector<std::string>& arguments) {
  std::vector<Assignment> assignments;
  for (const std::string& argument : arguments) {
    const std::size_t equals = argument.find('=');
    if (equals == std::string::npos) {
      throw UsageError("'" + argument + "' is not NAME=VALUE, for example PingRateS=300.");
    }
    const std::string name = argument.substr(0, equals);
    const std::string text = argument.substr(equals + 1);
    const Field* field = FindField(name);
    if (!field) {
      throw UsageError("there is no field named '" + name +
                       "'. Field names are those of the template file, such as PingRateS or "
                       "Key1CodeWA; 'kv7700ctl show' lists them all. Nothing was sent.");
    }
    if (const std::string why = WhyNotSettable(*field); !why.empty()) {
      throw UsageError(std::string(field->name) + " " + why + ". Nothing was sent.");
    }
    unsigned long value = 0;
    if (!ParseValue(text, &value) || value > 0xFFFF) {
      throw UsageError("'" + text + "' is not a value for " + std::string(field->name) +
                       ": give a whole number from 0 to 65535 (decimal, or hexadecimal with 0x).");
    }
    if (field->wire == FieldWire::Byte && value > WireMax(*field)) {
      throw UsageError(DoesNotFit(*field, text));
    }
    const bool repeated = std::any_of(assignments.begin(), assignments.end(),
                                      [&](const Assignment& a) { return a.field == field; });
    if (repeated) throw UsageError(std::string(field->name) + " is given more than once.");
    assignments.push_back({field, static_cast<std::uint16_t>(value)});
  }
  if (assignments.empty()) throw UsageError("give at least one NAME=VALUE.");
  return assignments;
}

// The records the assignments touch, in the order a load stores them.
std::vector<RecordKind> TouchedRecords(const std::vector<Assignment>& assignments) {
  std::vector<RecordKind> records;
  for (RecordKind record : kLoadStoreOrder) {
    const bool touched =
        std::any_of(assignments.begin(), assignments.end(),
                    [&](const Assignment& a) { return a.field->record == record; });
    if (touched) records.push_back(record);
  }
  return records;
}

class SetCommand final : public SensorCommand {
 public:
  std::vector<std::string> arguments;
  bool dryRun = false;
  bool verify = false;

 private:
  // Every name and value is checked before anything is sent.
  void CheckArguments() override { assignments_ = ParseAssignments(arguments); }

  void Run(Context& context, const Sensor& sensor) override {
    const std::vector<RecordKind> touched = TouchedRecords(assignments_);
    const auto assigned = [&](RecordSet config) {
      for (const Assignment& assignment : assignments_) {
        SetValue(&config, *assignment.field, assignment.value);
      }
      return config;
    };
    // Checked on the first read, so a refused value sends nothing at all.
    RecordSet before = sensor.config;
    RecordSet after = assigned(before);
    StoreRecords(after, touched, sensor.name);
    std::optional<HeldSensors> hold;
    if (!dryRun) {
      // Held from the read the change is made on to the read-back: another
      // program's change to the same records since the first read is kept.
      hold.emplace();
      if (!hold->Held()) {
        throw DeviceFailure("ReadDevCfg", sensor.name, kGroupRead | kErrSensorInUse);
      }
      before = ReadAgain(sensor.config, touched, sensor.name);
      after = assigned(before);
      StoreRecords(after, touched, sensor.name);
      WriteConfiguration(sensor.name);
      if (verify) VerifyWrite(ExpectedAfterWrite(after, before, touched), touched, sensor.name);
    }

    if (context.out.IsJson()) {
      context.out.Document({{"sensor", SensorJson(sensor.info)},
                            {"dry_run", dryRun},
                            {"changes", ChangesJson(before, after)},
                            {"key_sequences", KeySequencesJson(after)},
                            {"written", dryRun ? Json::array() : RecordListJson(touched)},
                            {"verified", !dryRun && verify}});
      return;
    }
    const std::vector<std::string> changes = ChangeLines(before, after, sensor.info.firmware);
    context.out.Line(changes.empty() ? "No value changes on " + sensor.name + "."
                                     : "Changes on " + sensor.name + ":");
    for (const std::string& line : changes) context.out.Line(line);
    if (dryRun) {
      context.out.Line("Dry run: nothing was written (" + RecordList(touched) + " would be).");
    } else {
      context.out.Line("Wrote " + RecordList(touched) + " to " + sensor.name +
                       (verify ? " and read it back." : "."));
    }
  }

  std::vector<Assignment> assignments_;
};

}  // namespace

void AddSetCommand(CLI::App& app, Command* chosen) {
  auto command = std::make_shared<SetCommand>();
  CLI::App* set = AddSensorCommand(
      app, chosen, "set",
      "Change fields, named as in the template file (case-blind): NAME=VALUE ...", command);
  set->add_option("assignments", command->arguments, "Fields and their new values")
      ->type_name("NAME=VALUE")
      ->required();
  set->add_flag("--dry-run", command->dryRun, "Show what would change and write nothing");
  set->add_flag("--verify", command->verify,
                "Read the sensor back after writing and fail when it differs");
}

}  // namespace kv::cli
