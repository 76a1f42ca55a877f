#include <kv7700/key_names.h>

#include <cctype>
#include <cstdio>

namespace kv {

const std::array<KeyName, kKeyNameRows + 1> KeyNameTable = {{
    {0x00, "[NONE]"},
    {0x04, "A"},
    {0x05, "B"},
    {0x06, "C"},
    {0x07, "D"},
    {0x08, "E"},
    {0x09, "F"},
    {0x0A, "G"},
    {0x0B, "H"},
    {0x0C, "I"},
    {0x0D, "J"},
    {0x0E, "K"},
    {0x0F, "L"},
    {0x10, "M"},
    {0x11, "N"},
    {0x12, "O"},
    {0x13, "P"},
    {0x14, "Q"},
    {0x15, "R"},
    {0x16, "S"},
    {0x17, "T"},
    {0x18, "U"},
    {0x19, "V"},
    {0x1A, "W"},
    {0x1B, "X"},
    {0x1C, "Y"},
    {0x1D, "Z"},
    {0x1E, "1"},
    {0x1F, "2"},
    {0x20, "3"},
    {0x21, "4"},
    {0x22, "5"},
    {0x23, "6"},
    {0x24, "7"},
    {0x25, "8"},
    {0x26, "9"},
    {0x27, "0"},
    {0x28, "ENTER"},
    {0x29, "ESC"},
    {0x2A, "BKSPC"},
    {0x2B, "TAB"},
    {0x2C, "SPACE"},
    {0x2D, "- MINUS"},
    {0x2E, "="},
    {0x2F, "["},
    {0x30, "]"},
    {0x31, "\\"},
    {0x33, "; SEMICOLON"},
    {0x34, "' SNGLQUOTE"},
    {0x35, "`"},
    {0x36, ", COMMA"},
    {0x37, ". PERIOD"},
    {0x38, "/"},
    {0x39, "CAPSLOCK"},
    {0x3A, "F1"},
    {0x3B, "F2"},
    {0x3C, "F3"},
    {0x3D, "F4"},
    {0x3E, "F5"},
    {0x3F, "F6"},
    {0x40, "F7"},
    {0x41, "F8"},
    {0x42, "F9"},
    {0x43, "F10"},
    {0x44, "F11"},
    {0x45, "F12"},
    {0x46, "PRNTSCRN"},
    {0x47, "SCRLLOCK"},
    {0x49, "INSERT"},
    {0x4A, "HOME"},
    {0x4B, "PGUP"},
    {0x4C, "DELETE"},
    {0x4D, "END"},
    {0x4E, "PGDN"},
    {0x4F, "RIGHT"},
    {0x50, "LEFT"},
    {0x51, "DOWN"},
    {0x52, "UP"},
    {0x53, "KP NUMLOCK"},
    {0x54, "KP /"},
    {0x55, "KP *"},
    {0x56, "KP - MINUS"},
    {0x57, "KP +"},
    {0x58, "KP ENTER"},
    {0x59, "KP 1 [END]"},
    {0x5A, "KP 2 [DOWN]"},
    {0x5B, "KP 3 [PGDN]"},
    {0x5C, "KP 4 [LEFT]"},
    {0x5D, "KP 5"},
    {0x5E, "KP 6 [RIGHT]"},
    {0x5F, "KP 7 [HOME]"},
    {0x60, "KP 8 [UP]"},
    {0x61, "KP 9 [PGUP]"},
    {0x62, "KP 0 [INS]"},
    {0x63, "KP . [DEL]"},
    {0x65, "APPS"},
    {kKeyNameEndCode, nullptr},
}};

const char* FindKeyName(std::uint8_t code) {
  for (const KeyName& row : KeyNameTable) {
    if (!row.name) {
      break;
    }
    if (row.code == code) {
      return row.name;
    }
  }
  return nullptr;
}

std::string KeyStrokeName(KeySet keys) {
  std::string name;
  for (const ModifierName& modifier : kModifierNames) {
    if (keys.mods & modifier.bit) {
      name += name.empty() ? "" : "+";
      name += modifier.name;
    }
  }
  if (keys.code == 0 && !name.empty()) {
    return name;
  }
  name += name.empty() ? "" : "+";
  if (const char* key = FindKeyName(keys.code)) {
    name += key;
  } else {
    char number[8];
    std::snprintf(number, sizeof number, "0x%02X", keys.code);
    name += number;
  }
  return name;
}

namespace {

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::optional<std::uint8_t> ParseKeyCode(std::string_view text) {
  for (const KeyName& row : KeyNameTable) {
    if (!row.name) {
      break;
    }
    if (SameLetters(text, row.name)) {
      return static_cast<std::uint8_t>(row.code);
    }
  }
  if (text.size() > 2 && text.size() <= 4 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    unsigned value = 0;
    for (char c : text.substr(2)) {
      if (!std::isxdigit(static_cast<unsigned char>(c))) {
        return std::nullopt;
      }
      value = value * 16 +
              static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c))
                                        ? c - '0'
                                        : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10);
    }
    return static_cast<std::uint8_t>(value);
  }
  return std::nullopt;
}

}  // namespace

std::optional<KeySet> ParseKeyStroke(std::string_view text) {
  KeySet keys;
  // Key names may themselves hold a "+" ("KP +"), so take modifiers off the
  // front one at a time and look up what is left as a whole.
  while (true) {
    if (auto code = ParseKeyCode(text)) {
      keys.code = *code;
      return keys;
    }
    const std::size_t plus = text.find('+');
    const std::string_view head = text.substr(0, plus);
    bool isModifier = false;
    for (const ModifierName& modifier : kModifierNames) {
      if (SameLetters(head, modifier.name)) {
        keys.mods |= modifier.bit;
        isModifier = true;
      }
    }
    if (!isModifier) {
      return std::nullopt;
    }
    if (plus == std::string_view::npos) {
      return keys;  // modifiers alone
    }
    text.remove_prefix(plus + 1);
  }
}

}  // namespace kv
