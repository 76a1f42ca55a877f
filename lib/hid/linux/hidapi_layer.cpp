#include "hid/linux/hidapi_layer.h"

#include <cerrno>

#include "hid/linux/hid_id.h"
#include "hid/linux/open_failure.h"

namespace kv::hid::linux_backend {

HidapiLayer::~HidapiLayer() {
  for (auto& [handle, node] : open_) hid_close(node.device);
  hid_exit();
}

hid_device* HidapiLayer::Device(Handle handle) const {
  auto it = open_.find(handle);
  return it == open_.end() ? nullptr : it->second.device;
}

NodeLock* HidapiLayer::Lock(Handle handle) const {
  auto it = open_.find(handle);
  return it == open_.end() ? nullptr : it->second.lock.get();
}

Handle HidapiLayer::Open(const std::string& path, OpenFailure* why) {
  // hidapi 0.13 frees its device twice when the node opens but is not a
  // hidraw node, so only hidraw nodes reach it.
  int statError = 0;
  if (!IsHidrawNode(path, &statError)) {
    if (why) *why = statError != 0 ? OpenFailureFromErrno(statError) : OpenFailure::Other;
    return kInvalidHandle;
  }
  errno = 0;
  hid_device* device = hid_open_path(path.c_str());
  const int error = errno;  // hidapi leaves open(2)'s error number behind
  if (!device) {
    if (why) *why = OpenFailureFromErrno(error);
    return kInvalidHandle;
  }
  const Handle handle = next_++;
  open_[handle] = OpenNode{device, std::make_unique<NodeLock>(path)};
  if (why) *why = OpenFailure::None;
  return handle;
}

void HidapiLayer::Close(Handle handle) {
  auto it = open_.find(handle);
  if (it == open_.end()) return;
  hid_close(it->second.device);
  open_.erase(it);
}

bool HidapiLayer::GetAttributes(Handle handle, Attributes* out) {
  if (!out) return false;
  *out = Attributes{};
  hid_device* device = Device(handle);
  if (!device) return false;
  // Owned by the device; hidapi frees it with the handle.
  const hid_device_info* info = hid_get_device_info(device);
  if (!info) return false;
  out->vendorId = info->vendor_id;
  out->productId = info->product_id;
  out->versionNumber = info->release_number;
  return true;
}

bool HidapiLayer::GetFeature(Handle handle, Report* report) {
  hid_device* device = Device(handle);
  if (!device || !report) return false;
  // Fetched into a buffer of our own, so a short answer never reaches the
  // caller as half a report.
  Report answer{};
  answer[0] = (*report)[0];
  const int got = hid_get_feature_report(device, answer.data(), answer.size());
  if (got != static_cast<int>(kReportLength)) return false;
  *report = answer;
  return true;
}

bool HidapiLayer::SetFeature(Handle handle, const Report& report) {
  hid_device* device = Device(handle);
  if (!device) return false;
  const int sent = hid_send_feature_report(device, report.data(), report.size());
  return sent == static_cast<int>(kReportLength);
}

bool HidapiLayer::TryHold(Handle handle) {
  NodeLock* lock = Lock(handle);
  return !lock || lock->TryHold();
}

void HidapiLayer::Release(Handle handle) {
  if (NodeLock* lock = Lock(handle)) lock->Release();
}

bool HidapiLayer::TryTakeTurn(Handle handle) {
  NodeLock* lock = Lock(handle);
  return !lock || lock->TryTakeTurn();
}

void HidapiLayer::GiveTurn(Handle handle) {
  if (NodeLock* lock = Lock(handle)) lock->GiveTurn();
}

std::string HidapiLayer::Holder(Handle handle) {
  NodeLock* lock = Lock(handle);
  return lock ? lock->Holder() : std::string();
}

}  // namespace kv::hid::linux_backend
