// A hot-plug monitor fed by hand: events wait in a queue, and an eventfd
// makes them visible to the same descriptor-watching code as udev's.
#include <kv7700/hotplug.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <mutex>

namespace kv::hid {

namespace {

class EventfdMonitor final : public QueuedHotplugMonitor {
 public:
  explicit EventfdMonitor(int fd) : fd_(fd) {}
  EventfdMonitor(const EventfdMonitor&) = delete;
  EventfdMonitor& operator=(const EventfdMonitor&) = delete;
  ~EventfdMonitor() override { ::close(fd_); }

  int Fd() const override { return fd_; }

  void Post(HotplugEvent event) override {
    {
      std::lock_guard lock(mutex_);
      pending_.push_back(std::move(event));
    }
    const std::uint64_t one = 1;
    // Cannot fail short of a counter overflow; a lost wake-up would only
    // delay the event to the next one.
    [[maybe_unused]] const ssize_t written = ::write(fd_, &one, sizeof one);
  }

  std::vector<HotplugEvent> ReadEvents() override {
    // Reset the readiness first and take the queue second, so an event
    // posted in between is never stranded behind a cleared descriptor.
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = ::read(fd_, &count, sizeof count);
    std::vector<HotplugEvent> events;
    std::lock_guard lock(mutex_);
    events.swap(pending_);
    return events;
  }

 private:
  int fd_;
  std::mutex mutex_;
  std::vector<HotplugEvent> pending_;
};

}  // namespace

std::unique_ptr<QueuedHotplugMonitor> CreateQueuedHotplugMonitor(int* error) {
  const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (fd < 0) {
    if (error) *error = errno;
    return nullptr;
  }
  if (error) *error = 0;
  return std::make_unique<EventfdMonitor>(fd);
}

}  // namespace kv::hid
