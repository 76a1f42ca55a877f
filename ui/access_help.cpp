#include "access_help.h"

#include <kv7700/access_advice.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace kv::ui {

namespace {

constexpr const char* kCaption = "Sensor not accessible";

bool RegularFileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

std::string DeviceLines(const std::vector<std::string>& denied) {
  std::string text;
  for (const std::string& path : denied) {
    text += "A KV7700 sensor is present at " + path + ", but this user may not open it.\n";
  }
  return text;
}

}  // namespace

#if defined(_WIN32)

// Windows has no rule to install: the sensor is opened without read or write
// access, which every user may, so a refusal means another program holds it
// exclusively.
std::vector<std::string> DefaultRuleDirectories() {
  return {};
}

MessageRequest AccessDeniedMessage(const std::vector<std::string>& denied,
                                   const std::string& /*installedRule*/) {
  const std::string text =
      DeviceLines(denied) + "\n" + kExclusiveHolderAdvice + ": the window opens it.";
  return {text, kCaption, MessageIcon::Warning, MessageButtons::Ok};
}

#else

std::vector<std::string> DefaultRuleDirectories() {
  return {"/etc/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};
}

// The commands a user runs in a terminal, indented as a block.
std::string CommandBlock(bool ruleInstalled) {
  std::string block = "\n\n";
  for (const std::string& command : AccessCommands(ruleInstalled)) block += "    " + command + "\n";
  return block + "\n";
}

MessageRequest AccessDeniedMessage(const std::vector<std::string>& denied,
                                   const std::string& installedRule) {
  std::string text = DeviceLines(denied) + "\n";
  if (installedRule.empty()) {
    // Without the rule only root may open the node; the configurator asks
    // for no elevation, so the user installs the rule once.
    text += std::string(
                "Only root may open the sensor until the KV7700 udev rule is installed. The rule "
                "gives the user logged in at this computer access, and nobody else. Install it (") +
            kAccessRuleSource +
            " in the configurator's source tree) and make udev apply it by running in a "
            "terminal:" +
            CommandBlock(false) +
            "Installing the kv7700 package does the same. Then unplug the sensor and plug it in "
            "again: the window opens it.";
  } else {
    text += "The KV7700 udev rule is installed (" + installedRule +
            "), but udev has not applied it to this sensor yet. Make udev read it and apply it "
            "by running in a terminal:" +
            CommandBlock(true) +
            "Then unplug the sensor and plug it in again: the window opens it. The rule gives "
            "access only to the user logged in at this computer's own screen and keyboard, "
            "not to a remote session.";
  }
  return {text, kCaption, MessageIcon::Warning, MessageButtons::Ok};
}

#endif

AccessHelp::AccessHelp() : directories_(DefaultRuleDirectories()), exists_(&RegularFileExists) {}

void AccessHelp::SetRuleDirectories(std::vector<std::string> directories, FileExists exists) {
  directories_ = std::move(directories);
  exists_ = exists ? std::move(exists) : FileExists(&RegularFileExists);
}

std::string AccessHelp::InstalledRule() const {
  for (const std::string& directory : directories_) {
    std::string path = directory + "/" + kAccessRuleFileName;
    if (exists_(path)) {
      return path;
    }
  }
  return {};
}

std::optional<MessageRequest> AccessHelp::Check(const std::vector<std::string>& denied) {
  std::erase_if(told_, [&](const std::string& path) {
    return std::find(denied.begin(), denied.end(), path) == denied.end();
  });
  std::vector<std::string> fresh;
  for (const std::string& path : denied) {
    if (std::find(told_.begin(), told_.end(), path) == told_.end()) {
      fresh.push_back(path);
      told_.push_back(path);
    }
  }
  if (fresh.empty()) {
    return std::nullopt;
  }
  return AccessDeniedMessage(fresh, InstalledRule());
}

void AccessHelp::Tell(WindowHost& host, const std::vector<std::string>& denied) {
  if (const std::optional<MessageRequest> message = Check(denied)) {
    host.ShowMessage(*message);
  }
}

}  // namespace kv::ui
