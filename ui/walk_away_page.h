// The Walk-Away page: the key strokes the sensor types when a person walks
// away, the delay between them and how often a target nearer than the
// minimum distance is reported as a fault.
#pragma once

#include <cstdint>

#include "key_page.h"

namespace kv::ui {

class WAPage final : public KeyPage<tsWalkAwayParms> {
 public:
  static constexpr int kTemplateId = 108;
  explicit WAPage(CDorvaneApp& app);

  void LoadWalkAway() { Load(); }
  // Also run by the Misc page before it saves a template file.
  void StoreWalkAway() { Store(); }
  // False when tsWalkAwayParms was not written (the user has been told).
  bool ApplyWalkAway() { return Apply(); }
  std::uint16_t LastDelayWA() const { return LastDelay(); }
};

}  // namespace kv::ui
