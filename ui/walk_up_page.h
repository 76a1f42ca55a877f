// The Walk-To page: the key strokes the sensor types when a person walks up,
// and the delay between them.
#pragma once

#include <cstdint>

#include "key_page.h"

namespace kv::ui {

class WUPage final : public KeyPage<tsWalkUpParms> {
 public:
  static constexpr int kTemplateId = 109;
  explicit WUPage(CDorvaneApp& app);

  void LoadWalkUp() { Load(); }
  // Also run by the Misc page before it saves a template file.
  void StoreWalkUp() { Store(); }
  // False when tsWalkUpParms was not written (the user has been told).
  bool ApplyWalkUp() { return Apply(); }
  std::uint16_t LastDelayWU() const { return LastDelay(); }
};

}  // namespace kv::ui
