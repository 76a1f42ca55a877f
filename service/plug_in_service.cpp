#include "plug_in_service.h"

#include <kv7700/sensor_identity.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <regex>

namespace kv::service {

namespace {

// An interface that arrives is in the platform's notification before the
// library's device list has it; the tool says so, and is asked again.
constexpr int kAttempts = 5;
constexpr std::uint32_t kAttemptGapMs = 1000;
constexpr const char* kNotYetListed = "no sensor is open at";
// kv7700ctl waits its own 20 s for a sensor that another program keeps busy;
// one more try after that, as the Linux plug-in service does.
constexpr const char* kInUse = "is in use by";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool Says(const ToolRun& run, const char* words) {
  return run.err.find(words) != std::string::npos;
}

// The first status word the tool's message names, "-" when there is none.
std::string StatusWordIn(const std::string& message) {
  static const std::regex word("status ([0-9A-Fa-f]{8})");
  std::smatch match;
  return std::regex_search(message, match, word) ? match[1].str() : "-";
}

std::string Trimmed(std::string text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
  return text;
}

// The tool's messages without its "kv7700ctl: apply: " prefixes.
std::string ToolMessage(const std::string& err) {
  std::string text = std::regex_replace(err, std::regex("kv7700ctl: (apply: )?"), "");
  text = Trimmed(text);
  return text.empty() ? "kv7700ctl gave no message." : text;
}

}  // namespace

bool IsSensorPath(const std::string& path) {
  const std::string lower = Lower(path);
  for (std::uint16_t vendor : hid::kSensorVendorIds) {
    char identity[32];
    std::snprintf(identity, sizeof identity, "vid_%04x&pid_%04x", vendor, hid::kSensorProductId);
    if (lower.find(identity) != std::string::npos) return true;
  }
  return false;
}

Event EventOfApply(const ToolRun& run, const std::string& sensor, const std::string& file) {
  if (!run.started) return {EventId::ToolFailed, {"kv7700ctl.exe", sensor, Trimmed(run.err)}};
  const nlohmann::json document = nlohmann::json::parse(run.out, nullptr, false);
  if (document.is_object() && document.contains("sensors") && document["sensors"].is_array() &&
      document["sensors"].size() == 1) {
    const nlohmann::json& result = document["sensors"][0];
    const std::string status = result.value("status", "");
    if (status == "changed" && run.exitCode == 0) {
      std::string records;
      for (const auto& record : result.value("written", nlohmann::json::array())) {
        records += (records.empty() ? "" : ", ") + record.get<std::string>();
      }
      return {EventId::Applied, {sensor, file, records}};
    }
    if (status == "unchanged" && run.exitCode == 0) return {EventId::Unchanged, {sensor, file}};
    if (status == "failed") {
      const std::string error = result.value("error", ToolMessage(run.err));
      if (result.value("file_error", false))
        return {EventId::SiteFileRefused, {file, sensor, error}};
      return {EventId::Failed, {sensor, file, StatusWordIn(error), error}};
    }
  }
  // No sensor result: the tool failed before it reached the sensor.
  const std::string message = ToolMessage(run.err);
  return {EventId::Failed, {sensor, file, StatusWordIn(message), message}};
}

void PlugInService::LogStart() {
  const SiteSettings settings = ResolveSettings(host_.ReadPolicy(), defaultFile_);
  host_.Log({EventId::Started,
             {settings.file, settings.fromPolicy ? "named by policy" : "the default",
              settings.enabled ? "on" : "off (by policy)"}});
}

ToolRun PlugInService::Run(std::vector<std::string> args) {
  args.insert(args.begin(), toolOptions_.begin(), toolOptions_.end());
  return host_.RunTool(args);
}

std::vector<std::string> PlugInService::PresentSensors() {
  const ToolRun run = Run({"--json", "list"});
  if (!run.started) {
    host_.Log({EventId::ToolFailed, {host_.ToolName(), "the sensors present", Trimmed(run.err)}});
    return {};
  }
  // No sensor at all is a failure without a document; a sensor that cannot
  // be read is still listed, and its apply says why.
  std::vector<std::string> paths;
  const nlohmann::json document = nlohmann::json::parse(run.out, nullptr, false);
  if (!document.is_object() || !document.contains("sensors")) return paths;
  for (const auto& sensor : document["sensors"]) {
    const std::string path = sensor.value("path", "");
    if (!path.empty()) paths.push_back(path);
  }
  return paths;
}

void PlugInService::Apply(const std::string& path) {
  const SiteSettings settings = ResolveSettings(host_.ReadPolicy(), defaultFile_);
  if (!settings.enabled) {
    host_.Log({EventId::TurnedOff, {path}});
    return;
  }
  const FileCheck check = host_.CheckFile(settings.file);
  if (check.state == FileState::Missing) {
    host_.Log({settings.fromPolicy ? EventId::SiteFileMissing : EventId::NotConfigured,
               {settings.file, path}});
    return;
  }
  if (check.state == FileState::Unreadable) {
    host_.Log({EventId::SiteFileUnreadable, {settings.file, path, check.reason}});
    return;
  }
  ToolRun run;
  bool retriedBusy = false;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    run = Run({"--json", "apply", "--path", path, settings.file});
    if (!run.started || run.exitCode == 0) break;
    if (Says(run, kNotYetListed) && attempt < kAttempts) {
      clock_.SleepMs(kAttemptGapMs);
      continue;
    }
    if (Says(run, kInUse) && !retriedBusy) {
      retriedBusy = true;
      continue;
    }
    break;
  }
  Event event = EventOfApply(run, path, settings.file);
  if (event.id == EventId::ToolFailed) event.strings[0] = host_.ToolName();
  host_.Log(event);
}

}  // namespace kv::service
