#include "hid/windows/hid_layer.h"

#include "hid/windows/open_security.h"

namespace kv::hid::windows_backend {

namespace {

HANDLE ToHandle(Handle handle) {
  return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

OpenFailure OpenFailureOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DEV_NOT_EXIST:
      return OpenFailure::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return OpenFailure::AccessDenied;
    default:
      return OpenFailure::Other;
  }
}

Handle WindowsHidLayer::Open(const std::string& path, OpenFailure* why) {
  SECURITY_ATTRIBUTES security = {};
  if (!MakeOpenSecurity(&security)) {
    if (why) *why = OpenFailure::NoSecurity;
    return kInvalidHandle;
  }
  HANDLE handle = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, &security,
                                OPEN_EXISTING, 0, nullptr);
  const DWORD error = ::GetLastError();
  FreeOpenSecurity(&security);
  if (handle == INVALID_HANDLE_VALUE) {
    if (why) *why = OpenFailureOf(error);
    return kInvalidHandle;
  }
  if (why) *why = OpenFailure::None;
  mutexes_[reinterpret_cast<Handle>(handle)] = std::make_unique<InterfaceMutex>(path);
  // The turn's mutex is named after the path with a suffix no path carries.
  turns_[reinterpret_cast<Handle>(handle)] = std::make_unique<InterfaceMutex>(path + "|turn");
  return reinterpret_cast<Handle>(handle);
}

void WindowsHidLayer::Close(Handle handle) {
  if (handle != kInvalidHandle) ::CloseHandle(ToHandle(handle));
  mutexes_.erase(handle);
  turns_.erase(handle);
}

bool WindowsHidLayer::TryHold(Handle handle) {
  auto it = mutexes_.find(handle);
  return it == mutexes_.end() || it->second->TryHold();
}

void WindowsHidLayer::Release(Handle handle) {
  if (auto it = mutexes_.find(handle); it != mutexes_.end()) it->second->Release();
}

bool WindowsHidLayer::TryTakeTurn(Handle handle) {
  auto it = turns_.find(handle);
  return it == turns_.end() || it->second->TryHold();
}

void WindowsHidLayer::GiveTurn(Handle handle) {
  if (auto it = turns_.find(handle); it != turns_.end()) it->second->Release();
}

std::string WindowsHidLayer::Holder(Handle handle) {
  auto it = mutexes_.find(handle);
  if (it == mutexes_.end()) return {};
  return it->second->Failure().empty() ? it->second->Holder() : it->second->Failure();
}

bool WindowsHidLayer::GetAttributes(Handle handle, Attributes* out) {
  *out = Attributes{};
  if (!entries_.getAttributes) return false;
  HIDD_ATTRIBUTES attributes = {};
  attributes.Size = sizeof attributes;
  if (!entries_.getAttributes(ToHandle(handle), &attributes)) return false;
  out->vendorId = attributes.VendorID;
  out->productId = attributes.ProductID;
  out->versionNumber = attributes.VersionNumber;
  return true;
}

bool WindowsHidLayer::GetFeature(Handle handle, Report* report) {
  if (!entries_.getFeature) return false;
  // The class driver fills the whole buffer or fails; the length includes
  // the report id byte the caller set.
  return entries_.getFeature(ToHandle(handle), report->data(), kReportLength) != FALSE;
}

bool WindowsHidLayer::SetFeature(Handle handle, const Report& report) {
  if (!entries_.setFeature) return false;
  Report copy = report;  // the call takes a writable buffer
  return entries_.setFeature(ToHandle(handle), copy.data(), kReportLength) != FALSE;
}

}  // namespace kv::hid::windows_backend
