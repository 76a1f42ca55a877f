#include "uhid_device.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kv::uhid {

namespace {

template <std::size_t N>
void CopyText(std::uint8_t (&field)[N], const std::string& text) {
  const std::size_t length = std::min(text.size(), N - 1);  // keeps the terminator
  std::memcpy(field, text.data(), length);
}

}  // namespace

std::unique_ptr<UhidDevice> UhidDevice::Create(const DeviceIdentity& identity,
                                               const std::vector<std::uint8_t>& descriptor,
                                               int* error) {
  if (descriptor.size() > HID_MAX_DESCRIPTOR_SIZE) {
    *error = EINVAL;
    return nullptr;
  }
  const int fd = ::open("/dev/uhid", O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    *error = errno;
    return nullptr;
  }
  std::unique_ptr<UhidDevice> device(new UhidDevice(fd));
  uhid_event event{};
  event.type = UHID_CREATE2;
  uhid_create2_req& create = event.u.create2;
  CopyText(create.name, identity.name);
  CopyText(create.uniq, identity.uniq);
  create.rd_size = static_cast<std::uint16_t>(descriptor.size());
  create.bus = identity.bus;
  create.vendor = identity.vendor;
  create.product = identity.product;
  create.version = identity.version;
  std::memcpy(create.rd_data, descriptor.data(), descriptor.size());
  if (!device->Write(event)) {
    *error = errno;
    return nullptr;
  }
  *error = 0;
  return device;
}

UhidDevice::~UhidDevice() {
  ::close(fd_);
}

std::optional<uhid_event> UhidDevice::Next(int* error) {
  uhid_event event{};
  const ssize_t got = ::read(fd_, &event, sizeof event);
  if (got < 0) {
    *error = errno;
    return std::nullopt;
  }
  // The kernel writes whole events; anything shorter is not one.
  if (got < static_cast<ssize_t>(sizeof event.type)) {
    *error = EIO;
    return std::nullopt;
  }
  *error = 0;
  return event;
}

bool UhidDevice::ReplyGet(std::uint32_t id, bool ok, const std::vector<std::uint8_t>& bytes) {
  uhid_event event{};
  event.type = UHID_GET_REPORT_REPLY;
  event.u.get_report_reply.id = id;
  event.u.get_report_reply.err = ok ? 0 : EIO;
  const std::size_t size = ok ? std::min<std::size_t>(bytes.size(), UHID_DATA_MAX) : 0;
  event.u.get_report_reply.size = static_cast<std::uint16_t>(size);
  std::memcpy(event.u.get_report_reply.data, bytes.data(), size);
  return Write(event);
}

bool UhidDevice::ReplySet(std::uint32_t id, bool ok) {
  uhid_event event{};
  event.type = UHID_SET_REPORT_REPLY;
  event.u.set_report_reply.id = id;
  event.u.set_report_reply.err = ok ? 0 : EIO;
  return Write(event);
}

bool UhidDevice::Write(const uhid_event& event) {
  const ssize_t written = ::write(fd_, &event, sizeof event);
  if (written == static_cast<ssize_t>(sizeof event)) return true;
  if (written >= 0) errno = EIO;
  return false;
}

}  // namespace kv::uhid
