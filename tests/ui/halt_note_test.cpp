// Key sends the window halts are noted in the user's runtime folder until it
// resumes them; a note whose program is gone (killed while the box was
// ticked) makes the next start resume that sensor and say so.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <kv7700/halt_notes.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "sheet_fixture.h"

namespace kv::ui::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace fs = std::filesystem;

class HaltNoteTest : public SheetTest {
 protected:
  void SetUp() override {
    SheetTest::SetUp();
    std::error_code ignored;
    fs::remove_all(Folder(), ignored);
  }
  static fs::path Folder() {
#ifdef _WIN32
    return fs::path(std::getenv("LOCALAPPDATA")) / "kv7700";
#else
    return fs::path(std::getenv("XDG_RUNTIME_DIR")) / "kv7700";
#endif
  }
  static std::size_t Notes() {
    std::error_code ignored;
    if (!fs::exists(Folder(), ignored)) return 0;
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(Folder()), {}));
  }
};

TEST_F(HaltNoteTest, AHaltIsNotedUntilItsResume) {
  Plug(0x0144);
  Start();
  host->ClickHaltKeySends();
  EXPECT_EQ(Notes(), 1u);
  EXPECT_TRUE(OrphanedHaltNotes().empty()) << "this program is alive";
  host->ClickHaltKeySends();
  EXPECT_EQ(Notes(), 0u);
}

TEST_F(HaltNoteTest, KeySendsAKilledWindowLeftHaltedAreResumedAtTheNextStart) {
  std::string path;
  auto sensor = Plug(0x0144, &path);
  hid::Report halt{};
  halt[1] = 0xB1;
  ASSERT_TRUE(sensor->OnSetFeature(halt));
  ASSERT_TRUE(sensor->KeySendsHalted());
  // The note of a window that was killed: no process has that id.
  fs::create_directories(Folder());
  std::ofstream(Folder() / "halted-0000000000000001")
      << "2147483600\nkv7700-config, process 2147483600\n"
      << path << "\n";
  sensor->ClearTrace();

  Start();
  EXPECT_FALSE(sensor->KeySendsHalted());
  EXPECT_THAT(KeySendCommands(*sensor), ElementsAre(0xB0));
  EXPECT_EQ(Notes(), 0u);
  ASSERT_FALSE(host->Record().Messages().empty());
  EXPECT_THAT(host->Record().Messages().back().text,
              HasSubstr("left halted by kv7700-config, process 2147483600"));
}

}  // namespace
}  // namespace kv::ui::testing
