#include "key_page.h"

namespace kv::ui {

namespace {

// After each record write the sensor needs a moment before it takes the next.
constexpr std::uint32_t kAfterWriteWaitMs = 1000;

}  // namespace

template <class R>
KeyPage<R>::KeyPage(CDorvaneApp& app, const KeyPageData<R>& data)
    : PropertyPage(app, data.templateId, data.title), data_(data) {
  const Handler markChanged = [this](int) { MarkChanged(); };
  for (const KeySetControls& controls : kKeySetControls) {
    for (const ModifierBox& box : controls.modifiers) {
      HandleClick(box.id, markChanged);
    }
    HandleSelectionChange(controls.keyList, [this](int listId) {
      OnKeyListChange(Dialog(), KeySetOfList(listId), [this] { MarkChanged(); });
    });
  }
  HandleTextChange(kIdInterKeyDelay, markChanged);
  if (HasFaultSendRate()) {
    HandleTextChange(kIdFaultSendRate, markChanged);
  }
}

template <class R>
void KeyPage<R>::MarkChanged() {
  SetModified(true);
  Pending() = 1;
}

template <class R>
void KeyPage<R>::MarkUnchanged() {
  SetModified(false);
  Pending() = 0;
}

template <class R>
void KeyPage<R>::EnableAdvanced(bool enabled) {
  Dialog().SetEnabled(kIdInterKeyDelay, enabled);
  if (HasFaultSendRate()) {
    Dialog().SetEnabled(kIdFaultSendRate, enabled);
  }
}

template <class R>
void KeyPage<R>::Load() {
  if (!HasWindow()) {
    return;
  }
  WaitCursor busy(Dialog());
  if (!App().ConfigLoaded) {
    return;
  }
  R& edit = Edit();
  // The sensor keeps the delay in 64 ms steps; below one step it means none.
  const std::uint16_t delay = edit.*KeyRecord<R>::kDelay;
  lastDelay_ = delay < kInterKeyDelayMin ? kInterKeyDelayMin : delay;
  Dialog().SetNumber(kIdInterKeyDelay, lastDelay_);
  if (HasFaultSendRate()) {
    Dialog().SetNumber(kIdFaultSendRate, edit.*data_.faultSendRate);
  }
  UnpackKeySets(Dialog(), edit);
  // Filling the edits raised their change notifications; this is no edit.
  MarkUnchanged();
}

template <class R>
void KeyPage<R>::Store() {
  if (!HasWindow() || !Pending()) {
    return;
  }
  R& edit = Edit();
  const PackedKeySets packed = PackKeySets(Dialog());
  StoreKeySets(packed, edit);
  const std::uint32_t delay = Dialog().GetNumber(kIdInterKeyDelay);
  // Without keys to type the delay does not matter to the page.
  if (packed.count != 0 && (delay < kInterKeyDelayMin || delay > kInterKeyDelayMax)) {
    Message(kInterKeyDelayMessage);
    Dialog().SetNumber(kIdInterKeyDelay, lastDelay_);
    return;
  }
  lastDelay_ = static_cast<std::uint16_t>(delay);
  edit.*KeyRecord<R>::kDelay = lastDelay_;
  if (HasFaultSendRate()) {
    edit.*data_.faultSendRate = static_cast<std::uint16_t>(Dialog().GetNumber(kIdFaultSendRate));
  }
}

template <class R>
bool KeyPage<R>::Apply() {
  if (!HasWindow()) {
    return true;
  }
  WaitCursor busy(Dialog());
  Store();
  // The Sonar page applies after this one and writes the record with its
  // own change as well, so the record goes out once.
  if (!(App().*data_.pendingSonar)) {
    if (!(App().*data_.push)()) {
      // The push drops the pending flag once the library holds the record,
      // before the write; a failed write must not lose the edits, so the
      // next Apply stores and writes them again.
      MarkChanged();
      // The user chose not to overwrite another program's change: no
      // failure to report.
      if (!App().TakeWriteCancelled()) {
        Failure(data_.writeFailure);
      }
      return false;
    }
  }
  Dialog().Pause(kAfterWriteWaitMs);
  MarkUnchanged();
  return true;
}

template <class R>
void KeyPage<R>::ShowPreset(int preset) {
  if (preset < 1 || preset > static_cast<int>(data_.presets.size())) {
    return;
  }
  const KeyPreset& keys = data_.presets[static_cast<std::size_t>(preset - 1)];
  for (int set = 1; set <= kKeySetCount; ++set) {
    const KeySet& key = keys[static_cast<std::size_t>(set - 1)];
    SetKeySet(Dialog(), set, key.mods, key.code);
  }
}

template <class R>
void KeyPage<R>::OnInitDialog() {
  for (const KeySetControls& controls : kKeySetControls) {
    App().FillKeyList(&Dialog(), controls.keyList);
  }
  Load();
}

template <class R>
void KeyPage<R>::OnSetActive() {
  if (!App().ConfigLoaded) {
    MarkUnchanged();
  } else if (!Pending()) {
    // Shown afresh each time, unless the page holds edits.
    Load();
  }
}

template <class R>
bool KeyPage<R>::OnApply() {
  if (!Pending()) {
    return true;
  }
  return Apply();
}

template <class R>
void KeyPage<R>::OnCommand(int command, int parameter) {
  switch (command) {
    case CMD_REFRESH_PAGES:
      EnableAdvanced(false);
      Load();
      if (parameter == 1) {
        // Restored from a file: the next Apply writes what was loaded.
        MarkChanged();
      }
      break;
    case CMD_ADVANCED_SETTINGS:
      EnableAdvanced(parameter != 0);
      break;
    case CMD_QUICK_SETUP:
      ShowPreset(parameter);
      MarkChanged();
      break;
    default:
      break;
  }
}

template class KeyPage<tsWalkAwayParms>;
template class KeyPage<tsWalkUpParms>;

}  // namespace kv::ui
