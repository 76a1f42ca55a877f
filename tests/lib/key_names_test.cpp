#include <gtest/gtest.h>
#include <kv7700/key_names.h>

#include <set>

namespace kv {
namespace {

TEST(KeyNameTableTest, NinetySixRowsWithRisingCodesAndAnEndRow) {
  std::size_t rows = 0;
  int previous = -1;
  std::set<std::string> names;
  for (const KeyName& row : KeyNameTable) {
    if (!row.name) {
      EXPECT_EQ(row.code, kKeyNameEndCode);
      break;
    }
    EXPECT_GT(row.code, previous) << row.name;
    previous = row.code;
    names.insert(row.name);
    ++rows;
  }
  EXPECT_EQ(rows, 96u);
  EXPECT_EQ(names.size(), 96u);
  EXPECT_STREQ(KeyNameTable[0].name, "[NONE]");
  EXPECT_STREQ(KeyNameTable[26].name, "Z");
  EXPECT_STREQ(KeyNameTable[36].name, "0");
  EXPECT_STREQ(KeyNameTable[46].name, "\\");
  EXPECT_STREQ(KeyNameTable[95].name, "APPS");
  for (std::uint8_t missing : {0x32, 0x48, 0x64, 0x66, 0xE0}) {
    EXPECT_EQ(FindKeyName(missing), nullptr) << int{missing};
  }
}

TEST(KeyStrokeNameTest, NamesModifiersInBitOrderThenTheKey) {
  const struct {
    KeySet keys;
    const char* name;
  } cases[] = {{{0x05, 0x4C}, "LCTL+LALT+DELETE"},
               {{0x08, 0x0F}, "LGUI+L"},
               {{0x20, 0x00}, "RShft"},
               {{0x00, 0x00}, "[NONE]"},
               {{0x00, 0x32}, "0x32"},
               {{0xFF, 0x57}, "LCTL+LShft+LALT+LGUI+RCTL+RShft+RALT+RGUI+KP +"}};
  for (const auto& c : cases) {
    EXPECT_EQ(KeyStrokeName(c.keys), c.name);
    EXPECT_EQ(ParseKeyStroke(c.name), c.keys) << c.name;
  }
  EXPECT_EQ(ParseKeyStroke("lctl+lalt+delete"), (KeySet{0x05, 0x4C}));
  for (const char* bad : {"", "LCTL+", "CTRL+A", "0x", "0x123", "A+LCTL"}) {
    EXPECT_EQ(ParseKeyStroke(bad), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace kv
