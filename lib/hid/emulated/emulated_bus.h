// An emulated USB bus: any number of emulated sensors and other HID devices
// that tests and demos plug in and pull out while the library runs. It is a
// complete platform for the library (HID layer, device list, path check).
#pragma once

#include <kv7700/hid.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "hid/emulated/emulated_sensor.h"

namespace kv::emu {

inline constexpr std::uint16_t kSensorVendor = 0x18C8;
inline constexpr std::uint16_t kSensorVendorAlt = 0x04D8;
inline constexpr std::uint16_t kSensorProduct = 0x2BFA;

// A hot-plug event, as the real monitor reports it.
struct PlugEvent {
  enum class Kind { Added, Removed };
  Kind kind;
  std::string path;
};

// What else a sensor's hold takes, beyond the bus's own: a sensor kept in a
// file is held by one program at a time through a lock on that file.
class HoldKeeper {
 public:
  virtual ~HoldKeeper() = default;
  // False while another program holds it.
  virtual bool TryTake() = 0;
  virtual void Give() = 0;
  // Who holds it, when known; "".
  virtual std::string Holder() = 0;
  // The turn beside the hold (see hid::HidLayer::TryTakeTurn).
  virtual bool TryTakeTurn() = 0;
  virtual void GiveTurn() = 0;
};

class EmulatedBus final : public hid::Platform {
 public:
  EmulatedBus();
  ~EmulatedBus() override;

  // Plugs in a sensor; returns its path (generated when `path` is empty, as
  // "/dev/hidraw-emu0", "/dev/hidraw-emu1"..., never reused on this bus).
  // `release` is the USB device release number (the first FwVersion).
  // Returns "" and plugs nothing when `path` is taken by a present device.
  std::string PlugSensor(std::shared_ptr<EmulatedSensor> sensor,
                         std::uint16_t vendor = kSensorVendor, std::uint16_t release = 0x0100,
                         std::string path = {}, std::shared_ptr<HoldKeeper> keeper = nullptr);
  // Plugs in some other HID device (a keyboard, say) that answers no reports.
  std::string PlugOther(std::uint16_t vendor, std::uint16_t product, std::uint16_t release = 0x0100,
                        std::string path = {});
  // Pulls a device out: its open handles fail from then on.
  void Unplug(const std::string& path);
  // The sensor at `path`, or null.
  std::shared_ptr<EmulatedSensor> SensorAt(const std::string& path) const;
  std::vector<std::string> Paths() const;  // present devices, plug order

  // Called on every plug and pull (from the thread that plugged, outside the
  // bus's lock, so the listener may call back into the bus).
  void SetPlugListener(std::function<void(const PlugEvent&)> listener);

  // Devices present but not openable by this user: Open fails with
  // OpenFailure::AccessDenied. Kept for the path across unplug and replug.
  void DenyAccess(const std::string& path, bool denied = true);

  // Another program holds the device at `path` as `holder` describes it
  // ("kv7700-config, process 1234"): for `forMs` of the clock from now, or
  // until ReleaseElsewhere when none is given.
  void HoldElsewhere(const std::string& path, const std::string& holder,
                     std::optional<std::uint64_t> forMs = std::nullopt);
  void ReleaseElsewhere(const std::string& path);

  // Failure injection for the layers themselves.
  void SetHidLoadResult(hid::LoadResult result);
  void SetListLoadResult(hid::LoadResult result);
  void SetListFails(bool fails);
  void SetEntryPoints(bool getFeature, bool setFeature);
  // The detail of the interface at `path` cannot be read during enumeration.
  void SetDetailFailure(const std::string& path, hid::InterfaceEntry::Detail detail);
  // Whether the enumeration lists each device's USB identity, as hidapi's
  // does (the default); false lists paths alone, as Windows' does.
  void SetListsIdentity(bool listsIdentity);

  // Open handles right now, including those of unplugged devices that were
  // never closed (for leak checks).
  std::size_t OpenHandleCount() const;

  // hid::Platform
  hid::LoadResult LoadHid(std::unique_ptr<hid::HidLayer>* out) override;
  hid::LoadResult LoadDeviceList(std::unique_ptr<hid::DeviceList>* out) override;
  bool PathNamesSensor(const std::string& path) override;

 private:
  struct Device;
  class Layer;
  class Listing;
  friend class Layer;
  friend class Listing;

  std::shared_ptr<Device> FindPresent(const std::string& path) const;  // lock held
  std::shared_ptr<Device> DeviceOf(hid::Handle handle) const;          // null unless plugged
  bool TryHold(hid::Handle handle);
  void Release(hid::Handle handle);
  std::string Holder(hid::Handle handle);
  bool TryTakeTurn(hid::Handle handle);
  void GiveTurn(hid::Handle handle);
  std::string Plug(std::shared_ptr<Device> device, std::string path);
  void Announce(const PlugEvent& event);

  mutable std::mutex mutex_;
  // Cleared when the bus goes: a layer outliving it then fails every call
  // instead of reaching a destroyed bus.
  std::shared_ptr<std::atomic<bool>> alive_ = std::make_shared<std::atomic<bool>>(true);
  std::vector<std::shared_ptr<Device>> devices_;  // plug order
  std::map<hid::Handle, std::shared_ptr<Device>> open_;
  std::set<std::string> denied_;
  std::map<std::string, hid::InterfaceEntry::Detail> detailFailures_;
  hid::Handle nextHandle_ = 0x100;
  int nextIndex_ = 0;
  std::function<void(const PlugEvent&)> listener_;
  hid::LoadResult hidLoad_ = hid::LoadResult::Ok;
  hid::LoadResult listLoad_ = hid::LoadResult::Ok;
  bool listFails_ = false;
  bool listsIdentity_ = true;
  bool hasGet_ = true;
  bool hasSet_ = true;
};

}  // namespace kv::emu
