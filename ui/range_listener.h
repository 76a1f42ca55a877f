// What the Misc. page tells about its distance readings, for the live plot.
#pragma once

#include <kv7700/records.h>

namespace kv::ui {

class RangeListener {
 public:
  virtual ~RangeListener() = default;
  virtual void AutoRangeStarted() = 0;
  virtual void RangeRead(const RangeInfo& reading) = 0;
  // A timed reading failed; auto ranging halted.
  virtual void RangeFailed() = 0;
  virtual void AutoRangeStopped() = 0;
  // The pages were refilled: another sensor, none, or a new configuration.
  virtual void ConfigurationChanged() = 0;
};

}  // namespace kv::ui
