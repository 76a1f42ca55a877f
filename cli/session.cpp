#include "session.h"

#include <kv7700/discovery.h>
#include <kv7700/kv7700.h>

#include <cstdio>

#include "errors.h"
#include "progress.h"

namespace kv::cli {

namespace {

std::string NoSensorMessage(std::uint32_t libError) {
  return "OpenAllDevices found no sensor (status " + StatusWord(libError) + ": " +
         ExplainLibError(libError) +
         ").\nPlug a KV7700 sensor in (lsusb lists it as 18c8:2bfa or 04d8:2bfa), or try the "
         "tool on an emulated sensor with --simulate.";
}

}  // namespace

std::string AccessDeniedMessage(const std::vector<std::string>& paths) {
  std::string message;
  for (const std::string& path : paths) {
    message += "A KV7700 sensor is present at " + path + ", but this user may not open it.\n";
  }
  message +=
      "Install the udev rule that gives the user at the seat access, then unplug the sensor and "
      "plug it back in:\n"
      "  sudo install -m 644 res/70-kv7700.rules /etc/udev/rules.d/\n"
      "  sudo udevadm control --reload-rules && sudo udevadm trigger\n"
      "(res/70-kv7700.rules is in the source tree; the build's install step puts it in "
      "lib/udev/rules.d under the install prefix. See \"Access to the sensor without root\" "
      "in the README.)";
  return message;
}

Session::~Session() {
  if (open_) CloseAllDevices();
}

void Session::OpenAll() {
  int result = 0;
  {
    ProgressScope progress("Reading sensors");
    result = OpenAllDevices(nullptr);
  }
  open_ = true;
  const std::vector<std::string> denied = GetAccessDeniedPaths();
  if (GetDeviceCount() == 0) {
    if (!denied.empty()) {
      const std::uint32_t libError = GetLibError();
      throw Failure("OpenAllDevices opened no sensor (status " + StatusWord(libError) +
                    "): access was denied.\n" + AccessDeniedMessage(denied));
    }
    throw Failure(NoSensorMessage(GetLibError()));
  }
  for (const std::string& path : denied) {
    Progress::Instance().PrintLine("kv7700ctl: note: a sensor at " + path +
                                   " is present but not accessible; install the udev rule "
                                   "res/70-kv7700.rules to use it.");
  }
  if (!result) {
    for (int i = 0; i < Count(); ++i) {
      SelectDevice(static_cast<std::int16_t>(i));
      if (const std::uint32_t error = GetDevError(); error != 0) readErrors_[i] = error;
    }
  }
  SelectDevice(0);
}

void Session::OpenPresent() {
  ProgressScope progress("Reading sensors");
  OpenAllDevices(nullptr);
  open_ = true;
}

int Session::Count() const {
  return GetDeviceCount();
}

void Session::Select(int index) {
  if (index < 0 || index >= Count() || !SelectDevice(static_cast<std::int16_t>(index))) {
    const int count = Count();
    throw UsageError("there is no sensor " + std::to_string(index) + ": " + std::to_string(count) +
                     (count == 1 ? " sensor is" : " sensors are") + " attached (numbered 0" +
                     (count > 1 ? " to " + std::to_string(count - 1) : std::string()) +
                     "). Run 'kv7700ctl list' to see them.");
  }
}

void Session::SelectRead(int index) {
  if (const std::uint32_t error = TryRead(index); error != 0) {
    throw DeviceFailure("ReadDevCfg", Describe(index), error);
  }
}

std::uint32_t Session::TryRead(int index) {
  Select(index);
  if (const auto failed = readErrors_.find(index); failed != readErrors_.end()) {
    return failed->second;
  }
  tsSonarParms probe;
  if (GetSonarParms(&probe)) return 0;
  // Discovery stopped before this sensor: read it now.
  int ok = 0;
  {
    ProgressScope progress("Reading " + Describe(index), 14);
    ok = ReadDevCfg();
  }
  if (ok) return 0;
  return readErrors_[index] = GetDevError();
}

SensorInfo Session::Info(int index) {
  SensorInfo info;
  info.index = index;
  info.path = GetDevicePath(index);
  GetDeviceIdentity(index, &info.vendorId, &info.productId);
  if (SelectDevice(static_cast<std::int16_t>(index))) {
    info.firmware = GetFirmwareVersion();
    if (const auto failed = readErrors_.find(index); failed != readErrors_.end()) {
      info.readError = failed->second;
    } else {
      tsSonarParms probe;
      info.read = GetSonarParms(&probe) == 1;
    }
  }
  return info;
}

std::string Session::Describe(int index) {
  const std::string path = GetDevicePath(index);
  return "sensor " + std::to_string(index) + (path.empty() ? "" : " (" + path + ")");
}

std::string FirmwareText(std::uint16_t firmware) {
  char text[16];
  std::snprintf(text, sizeof text, "%X.%02X", firmware >> 8, firmware & 0xFF);
  return text;
}

}  // namespace kv::cli
