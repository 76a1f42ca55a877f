// The native hot-plug monitor: udev's netlink feed, filtered to hidraw nodes.
#include <kv7700/native_hid.h>
#include <libudev.h>

#include <cerrno>
#include <cstring>

namespace kv::hid {

namespace {

class UdevMonitor final : public HotPlugMonitor {
 public:
  UdevMonitor(udev* context, udev_monitor* monitor) : context_(context), monitor_(monitor) {}
  UdevMonitor(const UdevMonitor&) = delete;
  UdevMonitor& operator=(const UdevMonitor&) = delete;
  ~UdevMonitor() override {
    udev_monitor_unref(monitor_);
    udev_unref(context_);
  }

  int Waitable() const override { return udev_monitor_get_fd(monitor_); }

  std::vector<HotPlugEvent> ReadEvents() override {
    std::vector<HotPlugEvent> events;
    // The monitor's socket does not block: null means nothing is left.
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
      const char* action = udev_device_get_action(device);
      const char* node = udev_device_get_devnode(device);
      if (action && node) {
        if (std::strcmp(action, "add") == 0) {
          events.push_back({HotPlugEvent::Kind::Added, node});
        } else if (std::strcmp(action, "remove") == 0) {
          events.push_back({HotPlugEvent::Kind::Removed, node});
        }
      }
      udev_device_unref(device);
    }
    return events;
  }

 private:
  udev* context_;
  udev_monitor* monitor_;
};

// libudev answers a negative error number, or null with errno set.
int ErrorOr(int fallback) {
  return errno != 0 ? errno : fallback;
}

}  // namespace

std::unique_ptr<HotPlugMonitor> CreateNativeHotPlugMonitor(int* error) {
  int failure = 0;
  errno = 0;
  udev* context = udev_new();
  if (!context) {
    if (error) *error = ErrorOr(ENOMEM);
    return nullptr;
  }
  udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
  if (!monitor) {
    failure = ErrorOr(EIO);
  } else if (int r = udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr);
             r < 0) {
    failure = -r;
  } else if (int e = udev_monitor_enable_receiving(monitor); e < 0) {
    failure = -e;
  }
  if (failure != 0) {
    if (monitor) udev_monitor_unref(monitor);
    udev_unref(context);
    if (error) *error = failure;
    return nullptr;
  }
  if (error) *error = 0;
  return std::make_unique<UdevMonitor>(context, monitor);
}

}  // namespace kv::hid
