// Configuration template files through the Misc. page: the dialogs, the
// pages' unapplied edits, restoring with Cancel or Apply, and the failures.
#include <cerrno>
#include <cstring>
#include <string>

#include "lib/template_test_support.h"
#include "lib_state.h"
#include "misc_page_fixture.h"

namespace kv::ui::testing {
namespace {

using kv::testing::ReadWholeFile;
using kv::testing::ScratchFolder;
using M = MiscPage;

class MiscFileTest : public MiscPageTest {
 protected:
  // Saves the configuration of a sensor holding SourceMemory() to a file,
  // then puts a factory-fresh sensor in its place; returns that one.
  std::shared_ptr<emu::EmulatedSensor> SaveSourceAndSwapSensor(const std::string& file) {
    std::string path;
    auto source = Plug(0x0144, &path);
    source->Working() = SourceMemory();
    StartOnMisc();
    Misc().AnswerNextSaveFile(file);
    EXPECT_TRUE(Misc().Click(M::kIdSaveToFile));
    bus.Unplug(path);
    auto target = Plug(0x0144);
    target->ClearTrace();
    return target;
  }

  void Restore(const std::string& file) {
    Misc().AnswerNextOpenFile(file);
    ASSERT_TRUE(Misc().Click(M::kIdRestoreFromFile));
    EXPECT_EQ(Misc().OpenFileAsked(), 1);
  }

  ScratchFolder folder;
};

TEST_F(MiscFileTest, SaveToFileUsesTheSaveDialogAndTakesAnyPath) {
  auto sensor = Plug(0x0144);
  sensor->Working() = SourceMemory();
  StartOnMisc();
  sensor->ClearTrace();

  Misc().AnswerNextSaveFile(std::nullopt);  // cancelled
  ASSERT_TRUE(Misc().Click(M::kIdSaveToFile));
  EXPECT_EQ(Misc().SaveFileAsked(), 1);
  EXPECT_TRUE(folder.Entries().empty());

  // Far longer than the 127 characters paths were once cut to.
  const std::filesystem::path deep = folder.Path() / std::string(150, 'd');
  std::filesystem::create_directories(deep);
  const std::string file = (deep / "sensor configuration.txt").string();
  ASSERT_GT(file.size(), 200u);
  Misc().AnswerNextSaveFile(file);
  ASSERT_TRUE(Misc().Click(M::kIdSaveToFile));
  EXPECT_EQ(Misc().SaveFileAsked(), 2);
  EXPECT_EQ(Misc().OpenFileAsked(), 0);

  const std::string text = ReadWholeFile(file);
  for (const char* line : {"\nMinDistS = 15 ", "\nMaxDistS = 40 ", "\nKey2CodeWA = 41 ",
                           "\nPressRateI = 30 ", "\nDMTODeltaI = 34 "}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  EXPECT_TRUE(Misc().Record().Messages().empty());
  EXPECT_TRUE(sensor->Trace().empty());  // a file save sends nothing
}

TEST_F(MiscFileTest, SaveToFileTakesTheEditsNotYetApplied) {
  auto sensor = Plug(0x0144);
  StartOnMisc();
  host->ChooseTab(kSonarTab);
  ASSERT_TRUE(Tab(kSonarTab).Type(1027, "42"));  // maximum distance
  host->ChooseTab(kMiscTab);
  ASSERT_TRUE(Misc().Click(M::kIdWinXPWelcome));  // LGUI+L on walk-away only
  sensor->ClearTrace();

  const std::string file = folder.File("edited.txt");
  Misc().AnswerNextSaveFile(file);
  ASSERT_TRUE(Misc().Click(M::kIdSaveToFile));
  const std::string text = ReadWholeFile(file);
  for (const char* line : {"\nMaxDistS = 42 ", "\nKeyCountWA = 1 ", "\nKey1ModsWA = 8 ",
                           "\nKey1CodeWA = 15 ", "\nKeyCountWU = 0 "}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  // The same values wait in the library's cache for the sensor's next write.
  EXPECT_TRUE(sensor->Trace().empty());
  EXPECT_EQ(CurrentSlot().Records.Sonar.MaxDistS, 42);
  EXPECT_TRUE(CurrentSlot().SonarDirty);
  EXPECT_EQ(CurrentSlot().Records.WalkAway.Key1CodeWA, 0x0F);
}

TEST_F(MiscFileTest, RestoreThenCancelLeavesTheSensorAsItWas) {
  const std::string file = folder.File("source.txt");
  auto target = SaveSourceAndSwapSensor(file);
  Restore(file);
  EXPECT_EQ(app.EditSonar.MaxDistS, 40);
  EXPECT_EQ(Tab(kSonarTab).GetText(1027), "40");
  EXPECT_TRUE(host->ApplyEnabled());

  host->PressCancel();
  EXPECT_EQ(target->Working(), emu::FactoryMemory());
  EXPECT_TRUE(Commands(*target).empty());
}

TEST_F(MiscFileTest, RestoreThenApplyWritesTheWholeConfiguration) {
  const std::string file = folder.File("source.txt");
  auto target = SaveSourceAndSwapSensor(file);
  Restore(file);
  EXPECT_TRUE(Misc().Record().Messages().empty());

  ASSERT_TRUE(host->PressApply());
  EXPECT_EQ(target->Working(), SourceMemory());
  EXPECT_FALSE(host->ApplyEnabled());
}

TEST_F(MiscFileTest, FileFailuresAreReported) {
  const std::string missing = folder.File("no such folder/config.txt");
  // A failed save says why and what to do below the message.
  const std::string saveFailed = "Failed WriteDevCfgToFile!\n\nCould not write '" + missing +
                                 "': " + std::strerror(ENOENT) +
                                 ". The folder does not exist: create it first, or choose "
                                 "another. A file already there is left as it was.";
  const struct {
    bool sensor;
    int button;
    std::string message;
  } cases[] = {
      {true, M::kIdSaveToFile, saveFailed},
      {true, M::kIdRestoreFromFile, "Failed ReadDevCfgFmFile!"},
      {false, M::kIdSaveToFile, "Failed PushConfigToLib!"},  // nothing loaded to save
  };
  StartOnMisc();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    std::string path;
    if (c.sensor) {
      Plug(0x0144, &path);
    }
    const tsSonarParms before = app.EditSonar;
    Misc().Record().ClearMessages();
    if (c.button == M::kIdSaveToFile) {
      Misc().AnswerNextSaveFile(missing);
    } else {
      Misc().AnswerNextOpenFile(missing);
    }

    ASSERT_TRUE(Misc().Click(c.button));
    ExpectOnlyMessage(c.message);
    EXPECT_EQ(app.EditSonar, before);
    EXPECT_FALSE(host->ApplyEnabled());
    if (c.sensor) {
      bus.Unplug(path);
    }
  }
  EXPECT_TRUE(folder.Entries().empty());
}

}  // namespace
}  // namespace kv::ui::testing
