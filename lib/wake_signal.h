// A readiness flag another thread can raise and the waiting side can lower,
// visible to the platform's wait call: an eventfd on Linux, a manual-reset
// event on Windows.
#pragma once

#include <kv7700/hot_plug.h>

namespace kv::hid {

class WakeSignal {
 public:
  // Null when the platform refuses one, with its error number in *error.
  static std::unique_ptr<WakeSignal> Create(int* error);
  ~WakeSignal();
  WakeSignal(const WakeSignal&) = delete;
  WakeSignal& operator=(const WakeSignal&) = delete;

  void Raise();
  void Lower();
  WaitObject Object() const { return object_; }

 private:
  explicit WakeSignal(WaitObject object) : object_(object) {}
  WaitObject object_;
};

}  // namespace kv::hid
