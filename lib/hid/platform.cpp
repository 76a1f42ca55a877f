#include <kv7700/hid.h>

#include <atomic>

namespace kv::hid {

namespace {
std::atomic<Platform*> g_platform{nullptr};
}  // namespace

Platform& GetPlatform() {
  Platform* platform = g_platform.load();
  return platform ? *platform : NativePlatform();
}

void SetPlatform(Platform* platform) {
  g_platform = platform;
}

}  // namespace kv::hid
