// The one seam through which the configurator's logic reaches the sensor
// library. The logic hands each piece of library work to the runner and
// waits for it; the Qt and the Windows hosts run it on a worker thread while
// the window thread keeps painting, shows the wait cursor and takes no user
// input. The tests run it inline.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kv::ui {

// What the work is, for a host that shows progress of long work.
struct Activity {
  const char* text = "";         // "Reading the sensor's configuration"
  std::uint32_t expectedMs = 0;  // a rough duration, 0 when unknown
};

class LibraryRunner {
 public:
  virtual ~LibraryRunner() = default;
  // Runs `work` to completion before returning. `work` calls the library and
  // touches only the application object's data, never a window. Never
  // entered twice at once: callers hold an EventGate scope, so no device
  // notification or timer tick starts other work meanwhile.
  virtual void Run(const std::function<void()>& work, const Activity& activity) = 0;
  // True while the window thread waits for work: what the window takes
  // meanwhile is not the user's to act on.
  virtual bool Busy() const { return false; }
};

// Runs the work on the calling thread and notes what it was.
class InlineRunner final : public LibraryRunner {
 public:
  void Run(const std::function<void()>& work, const Activity& activity) override {
    activities_.emplace_back(activity.text);
    work();
  }
  const std::vector<std::string>& Activities() const { return activities_; }
  void ClearActivities() { activities_.clear(); }

 private:
  std::vector<std::string> activities_;
};

}  // namespace kv::ui
