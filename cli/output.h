// How the tool speaks and fails: standard output (text for people, or with
// --json one JSON document), the exit status and message of a failure, and
// the messages that name a failed operation with its status word.
#pragma once

#include <kv7700/last_failure.h>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

namespace kv::cli {

// JSON documents keep their keys in the order they were added.
using Json = nlohmann::ordered_json;

// --- Standard output ---------------------------------------------------------

class Output {
 public:
  explicit Output(bool json) : json_(json) {}
  bool IsJson() const { return json_; }
  // One line of text (ignored in JSON mode, where Document speaks).
  void Line(const std::string& text) const;
  // The JSON document of the command.
  void Document(const Json& document) const;
  // Writes raw text and flushes, for output that streams (watch, monitor).
  void Raw(const std::string& text) const;
  // True once standard output is gone (a pipe whose reader quit): the
  // commands that stream stop then.
  bool Closed() const { return closed_; }

 private:
  void Write(const std::string& text) const;

  bool json_;
  mutable bool closed_ = false;
};

// --- Failures ----------------------------------------------------------------

enum ExitCode : int {
  kExitOk = 0,
  kExitFailure = 1,  // the sensor or the library failed
  kExitUsage = 2,    // the command line asked for something impossible
  kExitDiffers = 3,  // apply --check: a sensor does not hold the file's settings
};

// Thrown by commands; main prints the message and exits with the code.
class CliError : public std::runtime_error {
 public:
  CliError(ExitCode code, const std::string& message) : std::runtime_error(message), code_(code) {}
  ExitCode Code() const { return code_; }

 private:
  ExitCode code_;
};

CliError UsageError(const std::string& message);
CliError Failure(const std::string& message);

// A failed library operation on one sensor: names the operation and the
// sensor, gives the status word as eight hex digits, says what it means and
// what to try. `sensor` is a short description such as "sensor 0 (/dev/hidraw3)".
CliError DeviceFailure(const std::string& operation, const std::string& sensor,
                       std::uint32_t devError);
// The same for the library-wide status word (discovery, key-send control).
CliError LibraryFailure(const std::string& operation, std::uint32_t libError,
                        std::uint32_t devError = 0);

// "00020102". The status words in words are the library's
// (<kv7700/last_failure.h>: ExplainDevError, AdviceForDevError,
// ExplainLibError).
std::string StatusWord(std::uint32_t status);

}  // namespace kv::cli
