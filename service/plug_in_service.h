// What the plug-in service does, free of the platform: for each sensor that
// arrives (and each one present at the start) it reads the policy, checks
// the site template, has kv7700ctl apply it to that one sensor and logs the
// outcome. The platform gives the policy, the file check, the tool and the
// log through Host; waits go through the clock.
#pragma once

#include <kv7700/clock.h>

#include <string>
#include <vector>

#include "event_ids.h"
#include "site_policy.h"

namespace kv::service {

enum class FileState { Readable, Missing, Unreadable };

struct FileCheck {
  FileState state = FileState::Readable;
  std::string reason;  // why it cannot be read, in the platform's words
};

struct ToolRun {
  bool started = true;  // false: the tool could not be run at all
  int exitCode = 0;
  std::string out;  // the JSON document of --json
  std::string err;  // its messages
};

struct Event {
  EventId id;
  std::vector<std::string> strings;
};

class Host {
 public:
  virtual ~Host() = default;
  virtual PolicyValues ReadPolicy() = 0;
  virtual FileCheck CheckFile(const std::string& file) = 0;
  // Runs kv7700ctl with these arguments and waits for it to end.
  virtual ToolRun RunTool(const std::vector<std::string>& args) = 0;
  virtual std::string ToolName() const = 0;
  virtual void Log(const Event& event) = 0;
};

// True for the interface path of a KV7700 (either vendor id), in any case.
bool IsSensorPath(const std::string& path);

// What one `kv7700ctl --json apply --path SENSOR FILE` run means for the log.
Event EventOfApply(const ToolRun& run, const std::string& sensor, const std::string& file);

class PlugInService {
 public:
  // `toolOptions` go before every command (--simulate=FILE, for tests).
  PlugInService(Host& host, Clock& clock, std::string defaultFile,
                std::vector<std::string> toolOptions = {})
      : host_(host),
        clock_(clock),
        defaultFile_(std::move(defaultFile)),
        toolOptions_(std::move(toolOptions)) {}

  // Logs the start with the settings in force.
  void LogStart();
  // The sensors present now, as the tool lists them.
  std::vector<std::string> PresentSensors();
  // Applies the site template to the sensor at `path` (one the tool listed,
  // or an arrival IsSensorPath took), once it can be opened.
  void Apply(const std::string& path);

 private:
  Host& host_;
  Clock& clock_;
  ToolRun Run(std::vector<std::string> args);

  std::string defaultFile_;
  std::vector<std::string> toolOptions_;
};

}  // namespace kv::service
