#include "output.h"

#include <kv7700/status_codes.h>

#include <cstdio>

namespace kv::cli {

void Output::Line(const std::string& text) const {
  if (!json_) Write(text + "\n");
}

void Output::Document(const Json& document) const {
  Write(document.dump(2) + "\n");
}

void Output::Raw(const std::string& text) const {
  Write(text);
}

void Output::Write(const std::string& text) const {
  if (closed_) return;
  if (std::fputs(text.c_str(), stdout) == EOF || std::fflush(stdout) == EOF) closed_ = true;
}

CliError UsageError(const std::string& message) {
  return CliError(kExitUsage, message);
}

CliError Failure(const std::string& message) {
  return CliError(kExitFailure, message);
}

std::string StatusWord(std::uint32_t status) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(status));
  return text;
}

CliError DeviceFailure(const std::string& operation, const std::string& sensor,
                       std::uint32_t devError) {
  return Failure(operation + " failed on " + sensor + " with status " + StatusWord(devError) +
                 ": " + ExplainDevError(devError) + ".\n" + AdviceForDevError(devError));
}

CliError LibraryFailure(const std::string& operation, std::uint32_t libError,
                        std::uint32_t devError) {
  std::string message =
      operation + " failed with status " + StatusWord(libError) + ": " + ExplainLibError(libError);
  if (devError != 0) {
    message += " (sensor status " + StatusWord(devError) + ": " + ExplainDevError(devError) + ")";
  }
  message += ".\n" + AdviceForDevError(devError == 0 ? kErrSetFailed : devError);
  return Failure(message);
}

}  // namespace kv::cli
