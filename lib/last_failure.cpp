// The last failure of each sensor, and the status words in words.
#include <kv7700/device_info.h>
#include <kv7700/last_failure.h>
#include <kv7700/status_codes.h>
#include <kv7700/template_fields.h>

#include <cctype>
#include <utility>

#include "lib_state.h"

namespace kv {

namespace {

std::string ExplainExchange(std::uint32_t code, const std::string& holder) {
  switch (code) {
    case kErrSensorInUse:
      return "the sensor is in use by " + (holder.empty() ? "another program" : holder) +
             ", and it was not free within " + std::to_string(kSensorWaitSeconds) + " s";
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

std::string HidLibraryAdvice() {
#if defined(_WIN32)
  return "HID.DLL is part of Windows: check that %SystemRoot%\\System32\\hid.dll is present "
         "(sfc /scannow repairs it) and try again.";
#else
  return "Reinstall the HID library (Debian package libhidapi-hidraw0) and try again.";
#endif
}

std::string Explain(std::uint32_t devError, const std::string& holder) {
  const std::uint32_t exchange = devError & kExchangeCodeMask;
  if (devError == 0) return "no error was recorded";
  if (devError & kGroupRange)
    return "the range reading failed: " + ExplainExchange(exchange, holder);
  if (devError & kGroupSet) {
    if (devError == kErrSetNullPointer) return "no record was given to store";
    return "the library refused the record: " + ExplainCheck(devError & kCheckCodeMask);
  }
  if (devError & kGroupGet) {
    if (devError == kErrGetNotRead) return "the sensor's configuration has never been read";
    return "the cached record could not be handed out";
  }
  if (devError & kGroupMemoryCommand) {
    return "the sensor did not take the memory command: " + ExplainExchange(exchange, holder);
  }
  if (devError & kGroupWrite) {
    return "writing the configuration stopped and no commit was sent, so the sensor keeps "
           "its previous configuration: " +
           ExplainExchange(exchange, holder);
  }
  if (devError & kGroupRead) {
    return "reading the configuration failed: " + ExplainExchange(exchange, holder);
  }
  if ((devError & ~kCheckCodeMask) == 0 && devError >= kErrPingRate) return ExplainCheck(devError);
  return ExplainExchange(exchange, holder);
}

}  // namespace

std::string ExplainDevError(std::uint32_t devError) {
  // The current sensor's holder; else that of whichever sensor's last wait
  // gave up (a status word read after another sensor became current).
  std::string holder = GetSensorHolder();
  for (SensorIndex index = 0; holder.empty() && index < GetDeviceCount(); ++index) {
    holder = GetSensorHolder(index);
  }
  return Explain(devError, holder);
}

std::string AdviceForDevError(std::uint32_t devError) {
  if ((devError & kGroupSet) && devError != kErrSetNullPointer) {
    return "Give a value inside the allowed range.";
  }
  if (devError == kErrGetNotRead) return "Read the sensor's configuration first, then try again.";
  switch (devError & kExchangeCodeMask) {
    case kErrSensorInUse:
      return "Wait until that program is done with the sensor (let its command finish, or close "
             "its window) and try again.";
    case kErrGetFailed:
    case kErrSetFailed:
      return "Check that the sensor is still plugged in and try again; if it keeps failing, "
             "unplug it, plug it back in and retry.";
    case kErrGetNoHandle:
    case kErrSetNoHandle:
      return "Try again; the sensor is opened afresh each time.";
    case kErrGetNoEntry:
    case kErrSetNoEntry:
    case 0:
      return HidLibraryAdvice();
    default:
      return "Try again; if it keeps failing, unplug the sensor and plug it back in.";
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

std::string HidLibraryName() {
#if defined(_WIN32)
  return "HID.DLL";
#else
  return "hidapi";
#endif
}

LastFailure GetLastFailure() {
  return CurrentSlot().Failure;
}

LastFailure GetLastFailure(SensorIndex index) {
  const LibState& state = GetLibState();
  if (index < 0 || index >= state.DeviceCount) return {};
  return state.Slots[index].Failure;
}

std::string DescribeFailure(const LastFailure& failure) {
  if (!failure.Failed()) return {};
  std::string text = failure.reason;
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  if (!text.empty() && text.back() != '.') text += '.';
  if (!failure.advice.empty()) text += (text.empty() ? "" : " ") + failure.advice;
  return text;
}

void NoteFailure(DeviceSlot& slot, const char* operation, std::string reason, std::string advice,
                 std::uint32_t status) {
  slot.Failure = {operation, status, std::move(reason), std::move(advice)};
}

int NoteOutcome(DeviceSlot& slot, const char* operation, int result) {
  if (result) {
    slot.Failure = {};
  } else {
    NoteFailure(slot, operation, Explain(slot.DevError, slot.Holder.data()),
                AdviceForDevError(slot.DevError), slot.DevError);
  }
  return result;
}

int NoteOutcome(const char* operation, int result) {
  return NoteOutcome(CurrentSlot(), operation, result);
}

}  // namespace kv
