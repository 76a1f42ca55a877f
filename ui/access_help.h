// Tells the user about sensors that are present but may not be opened (the
// library's GetAccessDeniedPaths), instead of showing them as no sensor at
// all: which device, why, and the commands that install the udev rule (on
// Windows, that another program holds the sensor). The
// sheet asks it after opening the sensors and after every device change.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dialog_host.h"

namespace kv::ui {

// Where udev reads the rule (kv::kAccessRuleFileName) from, packaged or
// copied by hand.
std::vector<std::string> DefaultRuleDirectories();

// The message for `denied` paths. `installedRule` is the rule file found
// (then udev has not applied it yet), or "" when none is installed.
MessageRequest AccessDeniedMessage(const std::vector<std::string>& denied,
                                   const std::string& installedRule);

class AccessHelp {
 public:
  using FileExists = std::function<bool(const std::string&)>;

  AccessHelp();
  // Where to look for an installed rule, and how (tests name their own).
  void SetRuleDirectories(std::vector<std::string> directories, FileExists exists);

  // The message for the paths in `denied` that were not told before, or
  // nothing when there are none. Paths no longer denied are forgotten, so a
  // sensor still denied after it was plugged in again is told again.
  std::optional<MessageRequest> Check(const std::vector<std::string>& denied);
  // Check, and show the message (if any) through `host`.
  void Tell(WindowHost& host, const std::vector<std::string>& denied);

  // The installed rule file, or "".
  std::string InstalledRule() const;

 private:
  std::vector<std::string> directories_;
  FileExists exists_;
  std::vector<std::string> told_;
};

}  // namespace kv::ui
