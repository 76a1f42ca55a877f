// What the Walk-Away and Walk-To pages share: four key sets, the delay between
// key presses and (Walk-Away only) the fault send rate, loaded from and stored
// into the application's edit copy of one key record, and written to the
// sensor on Apply. The two pages differ only in the data of KeyPageData.
#pragma once

#include <kv7700/key_names.h>
#include <kv7700/records.h>

#include <array>
#include <cstdint>

#include "dorvane_app.h"
#include "key_sets.h"
#include "property_page.h"

namespace kv::ui {

inline constexpr int kIdInterKeyDelay = 1014;  // "Delay (msec) between key presses:"
inline constexpr int kIdFaultSendRate = 1023;  // "MinDist Fault Send Rate (sec):"

inline constexpr char kInterKeyDelayMessage[] = "Inter-Key Delay must be >= 64 and <= 16320 msec!";

// The four key sets a quick-setup preset shows.
using KeyPreset = std::array<KeySet, kKeySetCount>;
// Presets 1 to 4 of CMD_QUICK_SETUP.
using KeyPresets = std::array<KeyPreset, 4>;

// Everything in which the twin pages differ.
template <class R>
struct KeyPageData {
  int templateId;
  const char* title;
  R RecordSet::*edit;                        // of the edit copies: WalkAway, WalkUp
  std::uint32_t CDorvaneApp::*pending;       // the page holds edits not yet written
  std::uint32_t CDorvaneApp::*pendingSonar;  // the Sonar page edited the same record
  int (CDorvaneApp::*push)();                // PushWalkAwayToDev, PushWalkUpToDev
  std::uint16_t R::*faultSendRate;           // MinFltRepRate, or null without edit 1023
  const char* writeFailure;                  // "Failed to Write the device Features (...)!"
  KeyPresets presets;
};

template <class R>
class KeyPage : public PropertyPage {
 public:
  // Edit copy to controls; does nothing until a configuration is loaded.
  void Load();
  // Controls to edit copy, only while the page holds edits. The key sets
  // are always stored; a delay outside 64 to 16320 with a key set present
  // is refused with a message and the field shows the last good delay.
  void Store();
  // Stores, then writes the record, or leaves the write to the Sonar page
  // when it has edits in the same record. False when the record was not
  // written: the user was told, and the page keeps its edits for the next
  // Apply.
  bool Apply();
  // The last delay shown or accepted.
  std::uint16_t LastDelay() const { return lastDelay_; }

 protected:
  KeyPage(CDorvaneApp& app, const KeyPageData<R>& data);

  void OnInitDialog() override;
  void OnSetActive() override;
  bool OnApply() override;
  void OnCommand(int command, int parameter) override;

 private:
  R& Edit() { return App().Edit.*data_.edit; }
  std::uint32_t& Pending() { return App().*data_.pending; }
  bool HasFaultSendRate() const { return data_.faultSendRate != nullptr; }
  void MarkChanged();
  void MarkUnchanged();
  void EnableAdvanced(bool enabled);
  void ShowPreset(int preset);

  const KeyPageData<R>& data_;
  std::uint16_t lastDelay_ = 0;
};

extern template class KeyPage<tsWalkAwayParms>;
extern template class KeyPage<tsWalkUpParms>;

}  // namespace kv::ui
