// A platform that wraps another one and reports every feature report that
// crosses the HID seam, for --trace. It works the
// same over real hardware and over emulated sensors.
#pragma once

#include <kv7700/hid.h>

#include <functional>
#include <memory>
#include <string>

namespace kv::cli {

enum class ExchangeKind { Set, Get };

// Called after each exchange with the report as sent or as answered.
using ExchangeObserver = std::function<void(ExchangeKind kind, const hid::Report& report, bool ok)>;

class ObservedPlatform final : public hid::Platform {
 public:
  ObservedPlatform(hid::Platform& inner, ExchangeObserver observer)
      : inner_(inner), observer_(std::move(observer)) {}

  hid::LoadResult LoadHid(std::unique_ptr<hid::HidLayer>* out) override;
  hid::LoadResult LoadDeviceList(std::unique_ptr<hid::DeviceList>* out) override {
    return inner_.LoadDeviceList(out);
  }
  bool PathNamesSensor(const std::string& path) override { return inner_.PathNamesSensor(path); }

  hid::Platform& Inner() { return inner_; }

 private:
  hid::Platform& inner_;
  ExchangeObserver observer_;
};

// The trace line of one report: "set 00 80 00 00 00 00 00 00 00".
std::string TraceLine(ExchangeKind kind, const hid::Report& report);

}  // namespace kv::cli
