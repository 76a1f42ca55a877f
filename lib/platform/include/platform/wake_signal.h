// A readiness flag another thread can raise and the waiting side can lower,
// visible to the platform's wait call: an eventfd on Linux, a manual-reset
// event on Windows.
#pragma once

#include <memory>

namespace kv::hid {

class WakeSignal {
 public:
  // What the platform's wait call watches (the same types as the hot-plug
  // seam's WaitObject).
#if defined(_WIN32)
  using Object = void*;
#else
  using Object = int;
#endif

  // Null when the platform refuses one, with its error number in *error.
  static std::unique_ptr<WakeSignal> Create(int* error);
  ~WakeSignal();
  WakeSignal(const WakeSignal&) = delete;
  WakeSignal& operator=(const WakeSignal&) = delete;

  void Raise();
  void Lower();
  Object Waitable() const {
    return object_;
  }

 private:
  explicit WakeSignal(Object object) : object_(object) {}
  Object object_;
};

}  // namespace kv::hid
