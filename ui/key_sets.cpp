#include "key_sets.h"

namespace kv::ui {

const KeySetControls* KeySetControlsOf(int set) {
  if (set < 1 || set > kKeySetCount) {
    return nullptr;
  }
  return &kKeySetControls[static_cast<std::size_t>(set - 1)];
}

int KeySetOfList(int listId) {
  for (int set = 1; set <= kKeySetCount; ++set) {
    if (KeySetControlsOf(set)->keyList == listId) {
      return set;
    }
  }
  return 0;
}

bool IsModifierBox(int id) {
  for (const auto& controls : kKeySetControls) {
    for (const auto& box : controls.modifiers) {
      if (box.id == id) {
        return true;
      }
    }
  }
  return false;
}

int FillKeyList(DialogHost& dialog, int listId) {
  if (!dialog.HasControl(listId)) {
    return 0;
  }
  for (const KeyName& row : KeyNameTable) {
    if (!row.name) {
      break;
    }
    dialog.AddListEntry(listId, row.name, row.code);
  }
  dialog.SetListSelection(listId, -1);
  return 1;
}

int SetKeySet(DialogHost& dialog, int set, std::uint8_t mods, std::uint8_t code) {
  const KeySetControls* controls = KeySetControlsOf(set);
  if (!controls) {
    return 0;
  }
  for (const auto& box : controls->modifiers) {
    if (dialog.HasControl(box.id)) {
      dialog.SetChecked(box.id, (mods & box.bit) != 0);
    }
  }
  dialog.SetNumber(controls->keyField, code);
  const int count = dialog.GetListCount(controls->keyList);
  for (int i = 0; i < count; ++i) {
    if (dialog.GetListData(controls->keyList, i) == code) {
      dialog.SetListSelection(controls->keyList, i);
      break;
    }
  }
  return 1;
}

std::uint16_t GetKeySet(DialogHost& dialog, int set) {
  const KeySetControls* controls = KeySetControlsOf(set);
  if (!controls) {
    return 0;
  }
  std::uint8_t mods = 0;
  for (const auto& box : controls->modifiers) {
    if (dialog.IsChecked(box.id)) {
      mods |= box.bit;
    }
  }
  const auto code = static_cast<std::uint8_t>(dialog.GetNumber(controls->keyField) & 0xFF);
  return static_cast<std::uint16_t>(mods << 8 | code);
}

void OnKeyListChange(DialogHost& dialog, int set, const std::function<void()>& markChanged) {
  const KeySetControls* controls = KeySetControlsOf(set);
  if (!controls || !dialog.HasControl(controls->keyList)) {
    return;
  }
  const int selection = dialog.GetListSelection(controls->keyList);
  if (selection < 0) {
    return;
  }
  const auto code = static_cast<std::uint32_t>(dialog.GetListData(controls->keyList, selection));
  dialog.SetNumber(controls->keyField, code);
  if (code == 0) {
    for (const auto& box : controls->modifiers) {
      dialog.SetChecked(box.id, false);
    }
  }
  if (markChanged) {
    markChanged();
  }
}

PackedKeySets PackKeySets(DialogHost& dialog) {
  PackedKeySets packed;
  for (int set = 1; set <= kKeySetCount; ++set) {
    const std::uint16_t word = GetKeySet(dialog, set);
    const KeySet keys{static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word & 0xFF)};
    if (!keys.Empty()) {
      packed.slots[packed.count++] = keys;
    }
  }
  return packed;
}

}  // namespace kv::ui
