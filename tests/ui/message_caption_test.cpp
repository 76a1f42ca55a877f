// Message boxes carry the program's name as both hosts start it.
#include <gtest/gtest.h>

#include "window_session.h"

namespace kv::ui {
namespace {

TEST(MessageCaption, IsTheProgramFileNameWithoutFolderOrExe) {
  const struct {
    const char* file;
    const char* caption;
  } rows[] = {
      {"kv7700-config", "kv7700-config"},      // Linux's file name
      {"kv7700-config.exe", "kv7700-config"},  // Windows'
      {"C:\\Program Files\\KV7700\\KV7700-CONFIG.EXE", "KV7700-CONFIG"},
      {"/usr/bin/kv7700-config", "kv7700-config"},
      {"kv7700-config.exe.old", "kv7700-config.exe.old"},  // not a program's extension
      {".exe", ".exe"},                                    // nothing would be left
      {"", ""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(MessageCaptionOf(row.file), row.caption) << row.file;
  }
}

}  // namespace
}  // namespace kv::ui
