// Cloning a configuration from one emulated sensor to another through the
// Misc. page.
#include "misc_page_fixture.h"

namespace kv::ui::testing {
namespace {

using emu::Direction;
using M = MiscPage;

TEST_F(MiscPageTest, CloningCopiesOneSensorsConfigurationToAnother) {
  std::string sourcePath;
  auto source = Plug(0x0144, &sourcePath);
  source->Working() = SourceMemory();
  StartOnMisc();
  ASSERT_TRUE(Misc().Click(M::kIdSaveClone));
  EXPECT_TRUE(Misc().IsChecked(M::kIdCloneSaved));
  EXPECT_FALSE(Misc().IsEnabled(M::kIdCloneSaved));  // an indicator only
  const auto sourceExchanges = source->Trace().size();

  bus.Unplug(sourcePath);
  auto target = Plug(0x0144);  // the sheet reloads from the target
  ASSERT_EQ(app.EditSonar.MinDistS, 14);
  target->ClearTrace();

  ASSERT_TRUE(Misc().Click(M::kIdWriteClone));
  EXPECT_EQ(target->Working(), SourceMemory());
  EXPECT_EQ(Commands(*target), (std::vector<int>{0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x90}));
  EXPECT_EQ(source->Trace().size(), sourceExchanges);  // saving touched no sensor
  EXPECT_TRUE(Misc().Record().Messages().empty());
  // The pages go on showing what was read before the write.
  EXPECT_EQ(app.EditSonar.MinDistS, 14);
  EXPECT_TRUE(Misc().IsChecked(M::kIdCloneSaved));
}

TEST_F(MiscPageTest, WritingBeforeAnySaveSendsNothing) {
  auto sensor = Plug(0x0144);
  StartOnMisc();
  sensor->ClearTrace();
  ASSERT_TRUE(Misc().Click(M::kIdWriteClone));
  ExpectOnlyMessage("Data NOT Saved!");
  EXPECT_TRUE(sensor->Trace().empty());
}

TEST_F(MiscPageTest, AFailedCloneWriteIsReported) {
  // Saved with no sensor: the copy is all zeros, which no sensor accepts;
  // then a good copy whose write the sensor refuses.
  StartOnMisc();
  ASSERT_TRUE(Misc().Click(M::kIdSaveClone));
  auto sensor = Plug(0x0144);
  sensor->ClearTrace();
  ASSERT_TRUE(Misc().Click(M::kIdWriteClone));
  EXPECT_TRUE(sensor->Trace().empty());

  ASSERT_TRUE(Misc().Click(M::kIdSaveClone));
  sensor->FailAt(Direction::Set, 3);
  ASSERT_TRUE(Misc().Click(M::kIdWriteClone));
  EXPECT_EQ(Sent(*sensor, 0x90), 0);

  const std::vector<std::string> reported(2, "Failed WriteCloneData!");
  EXPECT_EQ(Misc().Record().MessageTexts(), reported);
  EXPECT_EQ(Misc().Record().Messages()[1].caption, app.AppName());
  EXPECT_EQ(sensor->Working(), emu::FactoryMemory());
}

}  // namespace
}  // namespace kv::ui::testing
