// A number field reads as the platform's own dialogs read one: leading
// blanks skipped, anything else or a value past 32 bits gives 0.
#include <gtest/gtest.h>

#include <cstdint>

#include "memory_dialog_host.h"

namespace kv::ui {
namespace {

TEST(DialogHostNumberTest, ReadsAsTheOriginalPlatformDoes) {
  MemoryDialogHost dialog(110);
  const struct {
    const char* text;
    std::uint32_t value;
  } cases[] = {{"", 0},           {"abc", 0},        {"12", 12},
               {"  7", 7},        {"12a", 0},        {"-5", 0},
               {"   ", 0},        {"0042", 42},      {"4294967295", 4294967295u},
               {"4294967296", 0}, {"99999999999", 0}};
  for (const auto& c : cases) {
    dialog.SetText(1050, c.text);
    EXPECT_EQ(dialog.GetNumber(1050), c.value) << '"' << c.text << '"';
  }
  EXPECT_EQ(dialog.GetNumber(4711), 0u);  // no such control
}

}  // namespace
}  // namespace kv::ui
