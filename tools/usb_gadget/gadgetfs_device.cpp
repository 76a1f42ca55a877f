#include "gadgetfs_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kv::usb {

namespace {

std::string ErrorText(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
  return ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

}  // namespace

std::unique_ptr<GadgetfsDevice> GadgetfsDevice::Open(const std::string& folder,
                                                     const std::string& controller,
                                                     const std::vector<std::uint8_t>& setup,
                                                     std::string* error) {
  const std::string path = folder + "/" + controller;
  if (::access(path.c_str(), F_OK) != 0) {
    const bool made = ::mkdir(folder.c_str(), 0755) == 0;
    if (::mount("gadgetfs", folder.c_str(), "gadgetfs", 0, nullptr) != 0) {
      *error = ErrorText("mounting gadgetfs on " + folder);
      if (made) ::rmdir(folder.c_str());
      return nullptr;
    }
  }
  const int ep0 = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (ep0 < 0) {
    *error = ErrorText(path);
    return nullptr;
  }
  // One write: the device is on the bus once it returns.
  if (!WriteAll(ep0, setup)) {
    *error = ErrorText("writing the descriptors to " + path);
    ::close(ep0);
    return nullptr;
  }
  return std::unique_ptr<GadgetfsDevice>(new GadgetfsDevice(folder, ep0));
}

GadgetfsDevice::~GadgetfsDevice() {
  DisableEndpoint();
  ::close(ep0_);
}

bool GadgetfsDevice::Wait(int timeoutMs, std::vector<usb_gadgetfs_event>* events, int* error) {
  events->clear();
  pollfd ready{ep0_, POLLIN, 0};
  const int count = ::poll(&ready, 1, timeoutMs);
  if (count < 0) {
    *error = errno;
    return false;
  }
  if (count == 0) return true;
  usb_gadgetfs_event buffer[8];
  const ssize_t size = ::read(ep0_, buffer, sizeof buffer);
  if (size < 0) {
    *error = errno;
    return false;
  }
  events->assign(buffer, buffer + size / static_cast<ssize_t>(sizeof buffer[0]));
  return true;
}

bool GadgetfsDevice::Send(const std::vector<std::uint8_t>& data) {
  // gadgetfs ends data shorter than the host asked for with a zero-length
  // packet itself.
  return ::write(ep0_, data.data(), data.size()) == static_cast<ssize_t>(data.size());
}

bool GadgetfsDevice::Acknowledge() {
  return ::read(ep0_, nullptr, 0) == 0;
}

bool GadgetfsDevice::Receive(std::size_t length, std::vector<std::uint8_t>* data) {
  data->assign(length, 0);
  const ssize_t size = ::read(ep0_, data->data(), length);
  if (size < 0) return false;
  data->resize(static_cast<std::size_t>(size));
  return true;
}

void GadgetfsDevice::Stall(bool in) {
  // gadgetfs stalls a request that is read or written the wrong way round.
  std::uint8_t byte = 0;
  if (in) {
    (void)!::read(ep0_, &byte, sizeof byte);
  } else {
    (void)!::write(ep0_, &byte, sizeof byte);
  }
}

bool GadgetfsDevice::EnableEndpoint(const std::string& name, const std::vector<std::uint8_t>& setup,
                                    std::string* error) {
  DisableEndpoint();
  const std::string path = folder_ + "/" + name;
  endpoint_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (endpoint_ < 0) {
    *error = ErrorText(path);
    return false;
  }
  if (!WriteAll(endpoint_, setup)) {
    *error = ErrorText("writing the endpoint descriptors to " + path);
    DisableEndpoint();
    return false;
  }
  return true;
}

void GadgetfsDevice::DisableEndpoint() {
  if (endpoint_ >= 0) ::close(endpoint_);
  endpoint_ = -1;
}

}  // namespace kv::usb
