#include "hid/emulated/emulated_bus.h"

#include <kv7700/clock.h>

#include <algorithm>
#include <utility>

namespace kv::emu {

struct EmulatedBus::Device {
  std::string path;
  hid::Attributes identity;
  std::shared_ptr<EmulatedSensor> sensor;  // null for other devices
  bool plugged = true;                     // guarded by the bus's mutex
  std::shared_ptr<HoldKeeper> keeper;      // null: held within this process only
  // The hold, guarded by the bus's mutex: the handle holding the device, or
  // another program's (faked) hold.
  std::optional<hid::Handle> heldBy;
  std::optional<hid::Handle> turnBy;  // the handle keeping the turn
  std::string elsewhere;              // "": no other program holds it
  std::optional<std::uint64_t> elsewhereUntilMs;
};

// The HID layer over the bus. Holds no state of its own: every handle lives in
// the bus, so OpenHandleCount sees the handles of every layer loaded.
class EmulatedBus::Layer final : public hid::HidLayer {
 public:
  explicit Layer(EmulatedBus* bus) : bus_(bus), alive_(bus->alive_) {}

  bool HasGetFeature() const override {
    if (!*alive_) return false;
    std::lock_guard lock(bus_->mutex_);
    return bus_->hasGet_;
  }
  bool HasSetFeature() const override {
    if (!*alive_) return false;
    std::lock_guard lock(bus_->mutex_);
    return bus_->hasSet_;
  }

  hid::Handle Open(const std::string& path, hid::OpenFailure* why) override {
    if (!*alive_) {
      if (why) *why = hid::OpenFailure::NotFound;
      return hid::kInvalidHandle;
    }
    std::lock_guard lock(bus_->mutex_);
    hid::OpenFailure failure = hid::OpenFailure::None;
    std::shared_ptr<Device> device = bus_->FindPresent(path);
    if (!device) {
      failure = hid::OpenFailure::NotFound;
    } else if (bus_->denied_.count(path) != 0) {
      failure = hid::OpenFailure::AccessDenied;
    }
    if (why) *why = failure;
    if (failure != hid::OpenFailure::None) return hid::kInvalidHandle;
    const hid::Handle handle = bus_->nextHandle_++;
    bus_->open_.emplace(handle, std::move(device));
    return handle;
  }

  void Close(hid::Handle handle) override {
    if (!*alive_) return;
    bus_->Release(handle);  // closing a handle gives up its hold and turn
    bus_->GiveTurn(handle);
    std::lock_guard lock(bus_->mutex_);
    bus_->open_.erase(handle);
  }

  bool GetAttributes(hid::Handle handle, hid::Attributes* out) override {
    if (!*alive_) return false;
    std::shared_ptr<Device> device = bus_->DeviceOf(handle);
    if (!device || !out) return false;
    *out = device->identity;
    return true;
  }

  bool GetFeature(hid::Handle handle, hid::Report* report) override {
    if (!*alive_) return false;
    std::shared_ptr<Device> device = bus_->DeviceOf(handle);
    if (!device || !device->sensor || !report || !HasGetFeature()) return false;
    return device->sensor->OnGetFeature(report);
  }

  bool SetFeature(hid::Handle handle, const hid::Report& report) override {
    if (!*alive_) return false;
    std::shared_ptr<Device> device = bus_->DeviceOf(handle);
    if (!device || !device->sensor || !HasSetFeature()) return false;
    return device->sensor->OnSetFeature(report);
  }

  bool TryHold(hid::Handle handle) override { return *alive_ && bus_->TryHold(handle); }
  void Release(hid::Handle handle) override {
    if (*alive_) bus_->Release(handle);
  }
  std::string Holder(hid::Handle handle) override {
    return *alive_ ? bus_->Holder(handle) : std::string();
  }
  bool TryTakeTurn(hid::Handle handle) override { return *alive_ && bus_->TryTakeTurn(handle); }
  void GiveTurn(hid::Handle handle) override {
    if (*alive_) bus_->GiveTurn(handle);
  }

 private:
  EmulatedBus* bus_;
  std::shared_ptr<std::atomic<bool>> alive_;
};

class EmulatedBus::Listing final : public hid::DeviceList {
 public:
  explicit Listing(EmulatedBus* bus) : bus_(bus), alive_(bus->alive_) {}

  bool List(std::vector<hid::InterfaceEntry>* out) override {
    if (!*alive_) return false;
    std::lock_guard lock(bus_->mutex_);
    if (bus_->listFails_ || !out) return false;
    out->clear();
    for (const auto& device : bus_->devices_) {
      hid::InterfaceEntry entry;
      entry.path = device->path;
      if (bus_->listsIdentity_) {
        entry.identityListed = true;
        entry.vendorId = device->identity.vendorId;
        entry.productId = device->identity.productId;
      }
      auto failure = bus_->detailFailures_.find(device->path);
      if (failure != bus_->detailFailures_.end()) entry.detail = failure->second;
      out->push_back(std::move(entry));
    }
    return true;
  }

 private:
  EmulatedBus* bus_;
  std::shared_ptr<std::atomic<bool>> alive_;
};

EmulatedBus::EmulatedBus() = default;
EmulatedBus::~EmulatedBus() {
  *alive_ = false;
}

std::string EmulatedBus::PlugSensor(std::shared_ptr<EmulatedSensor> sensor, std::uint16_t vendor,
                                    std::uint16_t release, std::string path,
                                    std::shared_ptr<HoldKeeper> keeper) {
  if (!sensor) return {};
  auto device = std::make_shared<Device>();
  device->keeper = std::move(keeper);
  device->identity = hid::Attributes{vendor, kSensorProduct, release};
  device->sensor = std::move(sensor);
  return Plug(std::move(device), std::move(path));
}

std::string EmulatedBus::PlugOther(std::uint16_t vendor, std::uint16_t product,
                                   std::uint16_t release, std::string path) {
  auto device = std::make_shared<Device>();
  device->identity = hid::Attributes{vendor, product, release};
  return Plug(std::move(device), std::move(path));
}

std::string EmulatedBus::Plug(std::shared_ptr<Device> device, std::string path) {
  {
    std::lock_guard lock(mutex_);
    if (path.empty()) {
      do {
        path = "/dev/hidraw-emu" + std::to_string(nextIndex_++);
      } while (FindPresent(path));
    } else if (FindPresent(path)) {
      return {};
    }
    device->path = path;
    devices_.push_back(std::move(device));
  }
  Announce(PlugEvent{PlugEvent::Kind::Added, path});
  return path;
}

void EmulatedBus::Unplug(const std::string& path) {
  {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(devices_.begin(), devices_.end(),
                           [&](const auto& device) { return device->path == path; });
    if (it == devices_.end()) return;
    (*it)->plugged = false;
    devices_.erase(it);
  }
  Announce(PlugEvent{PlugEvent::Kind::Removed, path});
}

void EmulatedBus::Announce(const PlugEvent& event) {
  std::function<void(const PlugEvent&)> listener;
  {
    std::lock_guard lock(mutex_);
    listener = listener_;
  }
  if (listener) listener(event);
}

std::shared_ptr<EmulatedSensor> EmulatedBus::SensorAt(const std::string& path) const {
  std::lock_guard lock(mutex_);
  std::shared_ptr<Device> device = FindPresent(path);
  return device ? device->sensor : nullptr;
}

std::vector<std::string> EmulatedBus::Paths() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> paths;
  for (const auto& device : devices_) paths.push_back(device->path);
  return paths;
}

void EmulatedBus::SetPlugListener(std::function<void(const PlugEvent&)> listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

void EmulatedBus::DenyAccess(const std::string& path, bool denied) {
  std::lock_guard lock(mutex_);
  if (denied) {
    denied_.insert(path);
  } else {
    denied_.erase(path);
  }
}

void EmulatedBus::HoldElsewhere(const std::string& path, const std::string& holder,
                                std::optional<std::uint64_t> forMs) {
  std::lock_guard lock(mutex_);
  std::shared_ptr<Device> device = FindPresent(path);
  if (!device) return;
  device->elsewhere = holder.empty() ? std::string("another program") : holder;
  device->elsewhereUntilMs.reset();
  if (forMs) device->elsewhereUntilMs = GetClock().NowMs() + *forMs;
}

void EmulatedBus::ReleaseElsewhere(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (std::shared_ptr<Device> device = FindPresent(path)) device->elsewhere.clear();
}

bool EmulatedBus::TryHold(hid::Handle handle) {
  std::lock_guard lock(mutex_);
  auto it = open_.find(handle);
  // A device pulled out is held by nobody; its exchanges fail by themselves.
  if (it == open_.end() || !it->second->plugged) return true;
  Device& device = *it->second;
  if (device.heldBy) return *device.heldBy == handle;
  if (!device.elsewhere.empty()) {
    if (!device.elsewhereUntilMs || GetClock().NowMs() < *device.elsewhereUntilMs) return false;
    device.elsewhere.clear();
  }
  if (device.keeper && !device.keeper->TryTake()) return false;
  device.heldBy = handle;
  return true;
}

void EmulatedBus::Release(hid::Handle handle) {
  std::lock_guard lock(mutex_);
  auto it = open_.find(handle);
  if (it == open_.end() || it->second->heldBy != handle) return;
  it->second->heldBy.reset();
  if (it->second->keeper) it->second->keeper->Give();
}

bool EmulatedBus::TryTakeTurn(hid::Handle handle) {
  std::lock_guard lock(mutex_);
  auto it = open_.find(handle);
  if (it == open_.end() || !it->second->plugged) return true;
  Device& device = *it->second;
  if (device.turnBy) return *device.turnBy == handle;
  if (device.keeper && !device.keeper->TryTakeTurn()) return false;
  device.turnBy = handle;
  return true;
}

void EmulatedBus::GiveTurn(hid::Handle handle) {
  std::lock_guard lock(mutex_);
  auto it = open_.find(handle);
  if (it == open_.end() || it->second->turnBy != handle) return;
  it->second->turnBy.reset();
  if (it->second->keeper) it->second->keeper->GiveTurn();
}

std::string EmulatedBus::Holder(hid::Handle handle) {
  std::lock_guard lock(mutex_);
  auto it = open_.find(handle);
  if (it == open_.end()) return {};
  const Device& device = *it->second;
  if (device.heldBy && *device.heldBy != handle) return "this program";
  if (!device.elsewhere.empty()) return device.elsewhere;
  return device.keeper ? device.keeper->Holder() : std::string();
}

void EmulatedBus::SetHidLoadResult(hid::LoadResult result) {
  std::lock_guard lock(mutex_);
  hidLoad_ = result;
}

void EmulatedBus::SetListLoadResult(hid::LoadResult result) {
  std::lock_guard lock(mutex_);
  listLoad_ = result;
}

void EmulatedBus::SetListFails(bool fails) {
  std::lock_guard lock(mutex_);
  listFails_ = fails;
}

void EmulatedBus::SetEntryPoints(bool getFeature, bool setFeature) {
  std::lock_guard lock(mutex_);
  hasGet_ = getFeature;
  hasSet_ = setFeature;
}

void EmulatedBus::SetListsIdentity(bool listsIdentity) {
  std::lock_guard lock(mutex_);
  listsIdentity_ = listsIdentity;
}

void EmulatedBus::SetDetailFailure(const std::string& path, hid::InterfaceEntry::Detail detail) {
  std::lock_guard lock(mutex_);
  if (detail == hid::InterfaceEntry::Detail::Ok) {
    detailFailures_.erase(path);
  } else {
    detailFailures_[path] = detail;
  }
}

std::size_t EmulatedBus::OpenHandleCount() const {
  std::lock_guard lock(mutex_);
  return open_.size();
}

hid::LoadResult EmulatedBus::LoadHid(std::unique_ptr<hid::HidLayer>* out) {
  std::lock_guard lock(mutex_);
  if (hidLoad_ != hid::LoadResult::Ok) return hidLoad_;
  *out = std::make_unique<Layer>(this);
  return hid::LoadResult::Ok;
}

hid::LoadResult EmulatedBus::LoadDeviceList(std::unique_ptr<hid::DeviceList>* out) {
  std::lock_guard lock(mutex_);
  if (listLoad_ != hid::LoadResult::Ok) return listLoad_;
  *out = std::make_unique<Listing>(this);
  return hid::LoadResult::Ok;
}

bool EmulatedBus::PathNamesSensor(const std::string& path) {
  std::lock_guard lock(mutex_);
  std::shared_ptr<Device> device = FindPresent(path);
  if (!device) return false;
  const hid::Attributes& id = device->identity;
  return (id.vendorId == kSensorVendor || id.vendorId == kSensorVendorAlt) &&
         id.productId == kSensorProduct;
}

std::shared_ptr<EmulatedBus::Device> EmulatedBus::FindPresent(const std::string& path) const {
  for (const auto& device : devices_) {
    if (device->path == path) return device;
  }
  return nullptr;
}

std::shared_ptr<EmulatedBus::Device> EmulatedBus::DeviceOf(hid::Handle handle) const {
  std::lock_guard lock(mutex_);
  auto it = open_.find(handle);
  if (it == open_.end() || !it->second->plugged) return nullptr;
  return it->second;
}

}  // namespace kv::emu
