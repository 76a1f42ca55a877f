#include "output.h"

#include <kv7700/device_info.h>
#include <kv7700/kv7700.h>
#include <kv7700/status_codes.h>
#include <kv7700/template_fields.h>

#include <cstdio>

#include "platform_advice.h"

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

namespace {

// Who kept the sensor the tool gave up waiting for: only sensors whose last
// wait gave up name a holder.
std::string SensorHolder() {
  for (SensorIndex index = 0; index < GetDeviceCount(); ++index) {
    if (std::string holder = GetSensorHolder(index); !holder.empty()) return holder;
  }
  return "another program";
}

std::string ExplainExchange(std::uint32_t code) {
  switch (code) {
    case kErrSensorInUse:
      return "the sensor is in use by " + SensorHolder() + ", and it was not free within " +
             std::to_string(kSensorWaitSeconds) + " s";
    case kErrGetNoHandle:
      return "the sensor is not open, so no answer could be fetched";
    case kErrGetNoEntry:
      return "the HID layer offers no call to fetch a feature report";
    case kErrGetFailed:
      return "the sensor did not answer a get-feature request (it may have been unplugged)";
    case kErrSetNoHandle:
      return "the sensor is not open, so no report could be sent";
    case kErrSetNoEntry:
      return "the HID layer offers no call to send a feature report";
    case kErrSetFailed:
      return "the sensor refused a set-feature report (it may have been unplugged)";
    case 0:
      return "the HID layer is not loaded";
    default:
      return "an unknown exchange failure";
  }
}

std::string ExplainCheck(std::uint32_t code) {
  if (const TemplateField* field = FindCheckedField(code)) {
    return std::string(field->name) + " is outside " + std::to_string(field->check.low) + " to " +
           std::to_string(field->check.high);
  }
  return "a value is outside its allowed range";
}

}  // namespace

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

std::string ExplainDevError(std::uint32_t devError) {
  if (devError == 0) return "no error was recorded";
  if (devError & kGroupRange) {
    return "the range reading failed: " + ExplainExchange(devError & kExchangeCodeMask);
  }
  if (devError & kGroupSet) {
    if (devError == kErrSetNullPointer) return "no record was given to store";
    return "the library refused the record: " + ExplainCheck(devError & kCheckCodeMask);
  }
  if (devError & kGroupGet) {
    if (devError == kErrGetNotRead) return "the sensor's configuration has never been read";
    return "the cached record could not be handed out";
  }
  if (devError & kGroupMemoryCommand) {
    return "the sensor did not take the memory command: " +
           ExplainExchange(devError & kExchangeCodeMask);
  }
  if (devError & kGroupWrite) {
    return "writing the configuration stopped and no commit was sent, so the sensor keeps "
           "its previous configuration: " +
           ExplainExchange(devError & kExchangeCodeMask);
  }
  if (devError & kGroupRead) {
    return "reading the configuration failed: " + ExplainExchange(devError & kExchangeCodeMask);
  }
  if ((devError & ~kCheckCodeMask) == 0 && devError >= kErrPingRate) {
    return ExplainCheck(devError);
  }
  return ExplainExchange(devError & kExchangeCodeMask);
}

std::string AdviceForDevError(std::uint32_t devError) {
  if ((devError & kGroupSet) && devError != kErrSetNullPointer) {
    return "Give a value inside the allowed range.";
  }
  if (devError == kErrGetNotRead) return "Run the command again so the configuration is read.";
  switch (devError & kExchangeCodeMask) {
    case kErrSensorInUse:
      return "Wait until that program is done with the sensor (let its command finish, or close "
             "its window) and run the command again.";
    case kErrGetFailed:
    case kErrSetFailed:
      return "Check that the sensor is still plugged in and run the command again; if it keeps "
             "failing, unplug it, plug it back in and retry.";
    case kErrGetNoHandle:
    case kErrSetNoHandle:
      return "Run the command again; the sensor is opened afresh each time.";
    case kErrGetNoEntry:
    case kErrSetNoEntry:
    case 0:
      return HidLibraryAdvice();
    default:
      return "Run the command again with --trace to see every report exchanged.";
  }
}

std::string ExplainLibError(std::uint32_t libError) {
  if (libError == kLibErrSendControl) return "the sensor refused the key-send control report";
  if (libError == kGroupOpenAll) return "sensors were already open";
  switch (libError & 0xFFFF) {
    case kLibErrSetupLoad:
    case kLibErrSetupEntry:
      return "the device enumeration facility could not be loaded";
    case kLibErrHidLoad:
      return "the HID library (" + HidLibraryName() + ") could not be loaded";
    case kLibErrHidEntry:
      return "the HID library lacks one of the calls the library needs";
    case kLibErrListFailed:
      return "the list of HID devices could not be obtained";
    case kLibErrEndOfList:
      return "no sensor was found";
    case kLibErrDetailSize:
    case kLibErrDetailAlloc:
    case kLibErrDetailRead:
      return "the details of a HID device could not be read";
    case kLibErrNotSensor:
      return "no sensor was found (the last HID device looked at was not a sensor)";
    case kLibErrOpenFailed:
      return "a sensor was found but could not be opened";
    default:
      return "discovery failed";
  }
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
