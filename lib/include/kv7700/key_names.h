// Key strokes as the sensor types them: a HID boot-keyboard modifier byte and
// a usage id of the Keyboard/Keypad page, and the named keys the pages offer.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

struct KeySet {
  std::uint8_t mods = 0;  // boot-keyboard modifier bits
  std::uint8_t code = 0;  // usage id, 0 for no key
  // A stroke of modifier keys alone (code 0) is not empty.
  bool Empty() const { return mods == 0 && code == 0; }
  bool operator==(const KeySet&) const = default;
};

// Modifier bits in the boot-keyboard report's order, with the captions of
// their check boxes.
struct ModifierName {
  std::uint8_t bit;
  const char* name;
};
inline constexpr std::array<ModifierName, 8> kModifierNames = {{{0x01, "LCTL"},
                                                                {0x02, "LShft"},
                                                                {0x04, "LALT"},
                                                                {0x08, "LGUI"},
                                                                {0x10, "RCTL"},
                                                                {0x20, "RShft"},
                                                                {0x40, "RALT"},
                                                                {0x80, "RGUI"}}};

struct KeyName {
  std::uint16_t code;
  const char* name;  // null in the end row
};

inline constexpr std::size_t kKeyNameRows = 96;
inline constexpr std::uint16_t kKeyNameEndCode = 255;

// The 96 named keys in list order, closed by an end row without a name:
// whoever walks the table stops at the first row without a name.
extern const std::array<KeyName, kKeyNameRows + 1> KeyNameTable;

// The name of `code`'s row, or null when no row has it.
const char* FindKeyName(std::uint8_t code);

// A key stroke's name, modifiers first: "LCTL+LALT+DELETE", "LGUI+L",
// "RShft" (modifiers alone), "[NONE]" (empty). A code without a row is named
// by its number in hexadecimal, "0x32".
std::string KeyStrokeName(KeySet keys);

// The reverse of KeyStrokeName (modifier and key names without regard to
// case, "0x.." for a code without a row); nothing when the text names no
// stroke.
std::optional<KeySet> ParseKeyStroke(std::string_view text);

}  // namespace kv
