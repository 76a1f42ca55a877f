// The four key sets of the Walk-Away and Walk-To pages: their controls, and
// the operations both pages share to show, read, choose, pack and unpack them.
// The ids are the same in both dialogs (templates 108 and 109).
#pragma once

#include <kv7700/key_names.h>
#include <kv7700/records.h>

#include <array>
#include <cstdint>
#include <functional>

#include "dialog_host.h"

namespace kv::ui {

inline constexpr int kKeySetCount = 4;

struct ModifierBox {
  int id;
  std::uint8_t bit;
};

struct KeySetControls {
  // In the order the boxes are written: LShft, LCTL, LALT, LGUI, RShft,
  // RCTL, RALT, RGUI.
  std::array<ModifierBox, 8> modifiers;
  int keyField;  // read-only, digits only: the code that is stored
  int keyList;   // drop-down list of the key names, item data the code
};

inline constexpr std::array<KeySetControls, kKeySetCount> kKeySetControls = {{
    {{{{1002, 0x02},
       {1003, 0x01},
       {1004, 0x04},
       {1031, 0x08},
       {1039, 0x20},
       {1040, 0x10},
       {1041, 0x40},
       {1042, 0x80}}},
     1011,
     1015},
    {{{{1005, 0x02},
       {1006, 0x01},
       {1007, 0x04},
       {1032, 0x08},
       {1043, 0x20},
       {1044, 0x10},
       {1045, 0x40},
       {1046, 0x80}}},
     1012,
     1016},
    {{{{1008, 0x02},
       {1009, 0x01},
       {1010, 0x04},
       {1037, 0x08},
       {1047, 0x20},
       {1048, 0x10},
       {1049, 0x40},
       {1050, 0x80}}},
     1013,
     1017},
    {{{{1018, 0x02},
       {1019, 0x01},
       {1020, 0x04},
       {1038, 0x08},
       {1051, 0x20},
       {1052, 0x10},
       {1053, 0x40},
       {1054, 0x80}}},
     1021,
     1022},
}};

// The controls of set `set` (1 to 4), or null.
const KeySetControls* KeySetControlsOf(int set);
// The set (1 to 4) whose key list is `listId`, or 0.
int KeySetOfList(int listId);
// Whether `id` is one of the 32 modifier boxes.
bool IsModifierBox(int id);

// Fills a key list from KeyNameTable in table order, each entry carrying its
// code as item data, and leaves it without a selection. 0 when the dialog
// has no such list, else 1.
int FillKeyList(DialogHost& dialog, int listId);

// Shows a key set: every modifier box from `mods`, the code in the key field,
// and the first list entry with that code selected (when none has it, the
// list keeps its selection). Raises no click or selection change. 0 for a
// set outside 1 to 4 (nothing changes), else 1.
int SetKeySet(DialogHost& dialog, int set, std::uint8_t mods, std::uint8_t code);

// Reads a key set from its boxes and key field (the list is not consulted):
// mods in the high byte, code in the low byte; 0 for a set outside 1 to 4.
std::uint16_t GetKeySet(DialogHost& dialog, int set);

// The user chose an entry in set `set`'s key list: its code goes into the key
// field, "[NONE]" also clears the set's modifiers, and `markChanged` runs.
// Nothing happens when the list has no selection.
void OnKeyListChange(DialogHost& dialog, int set, const std::function<void()>& markChanged);

// The non-empty sets in on-screen order, closed up into slots 1 to 4.
struct PackedKeySets {
  std::uint16_t count = 0;
  std::array<KeySet, kKeySetCount> slots{};
};
PackedKeySets PackKeySets(DialogHost& dialog);

// Writes the key count and slots 1 to 4 of a key record; slots 5 and 6 and
// every other word are left as they are.
template <class R>
void StoreKeySets(const PackedKeySets& packed, R& record) {
  using Words = KeyRecord<R>;
  record.*Words::kCount = packed.count;
  for (int i = 0; i < kKeySetCount; ++i) {
    record.*Words::kMods[i] = packed.slots[i].mods;
    record.*Words::kCodes[i] = packed.slots[i].code;
  }
}

// Shows slots 1 to 4 of a key record in the four sets. A key count of 0
// first clears all six slots of the record itself.
template <class R>
void UnpackKeySets(DialogHost& dialog, R& record) {
  using Words = KeyRecord<R>;
  if (record.*Words::kCount == 0) {
    for (std::size_t i = 0; i < Words::kMods.size(); ++i) {
      record.*Words::kMods[i] = 0;
      record.*Words::kCodes[i] = 0;
    }
  }
  for (int i = 0; i < kKeySetCount; ++i) {
    SetKeySet(dialog, i + 1, static_cast<std::uint8_t>(record.*Words::kMods[i] & 0xFF),
              static_cast<std::uint8_t>(record.*Words::kCodes[i] & 0xFF));
  }
}

}  // namespace kv::ui
