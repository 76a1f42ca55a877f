// Loading hand-made template files into the cache.
#include <gtest/gtest.h>
#include <kv7700/device_info.h>
#include <kv7700/template_file.h>

#include <functional>
#include <string>
#include <vector>

#include "lib/template_test_support.h"

namespace kv::testing {
namespace {

using namespace std::string_literals;

struct ReaderCase {
  const char* what;
  std::string file;
  // How the cache differs from OrdinaryRecords() afterwards.
  std::function<void(RecordSet&)> change;
  DirtyFlags dirty = {1, 1, 1, 1};
};

void Unchanged(RecordSet&) {}

class TemplateReaderTest : public TemplateTest {
 protected:
  // Reads each case's file into a cache of OrdinaryRecords() with no record
  // marked changed, after a preview that gives the same and changes nothing.
  void Run(const std::vector<ReaderCase>& cases) {
    for (const ReaderCase& c : cases) {
      SCOPED_TRACE(c.what);
      Cache(OrdinaryRecords(), 0x0144);
      const std::string path = folder.File("in.txt");
      WriteWholeFile(path, c.file);
      RecordSet expected = OrdinaryRecords();
      c.change(expected);

      RecordSet preview;
      RecordFlags stored;
      ASSERT_EQ(PreviewDevCfgFmFile(path.c_str(), &preview, &stored), 1);
      ExpectRecords(preview, expected);
      EXPECT_EQ(stored, (RecordFlags{c.dirty.sonar != 0, c.dirty.walkAway != 0, c.dirty.walkUp != 0,
                                     true}));
      ExpectRecords(CachedRecords(), OrdinaryRecords());
      EXPECT_EQ(CachedDirtyFlags(), (DirtyFlags{0, 0, 0, 0}));

      ASSERT_EQ(ReadDevCfgFmFile(path.c_str()), 1);
      ExpectRecords(CachedRecords(), expected);
      EXPECT_EQ(CachedDirtyFlags(), c.dirty);
      EXPECT_EQ(GetDevError(), 0u);
    }
  }
};

TEST_F(TemplateReaderTest, FindsNameAndValueBetweenAnyDelimiters) {
  Run({
      {"equals", "PingRateS = 300\n", [](RecordSet& r) { r.Sonar.PingRateS = 300; }},
      {"tabs and commas, trailing text ignored",
       "\tMinDistS\t\t12\nMaxDistS , = 40 / comment\n  KeyCountWA,=\t3rd try\n",
       [](RecordSet& r) {
         r.Sonar.MinDistS = 12;
         r.Sonar.MaxDistS = 40;
         r.WalkAway.KeyCountWA = 3;
       }},
      {"delimiters before the name", "=,Key6CodeWU 99\n",
       [](RecordSet& r) { r.WalkUp.Key6CodeWU = 99; }},
      {"no line end at the end of the file", "SNBlankTmI=7",
       [](RecordSet& r) { r.Idle.SNBlankTmI = 7; }},
      {"names in any case", "pingrates 600\nMINDISTS 7\nkEY1cODEi 5\n",
       [](RecordSet& r) {
         r.Sonar.PingRateS = 600;
         r.Sonar.MinDistS = 7;
         r.Idle.Key1CodeI = 5;
       }},
      {"the later of two lines wins", "PingRateS 300\nPINGRATES 400\n",
       [](RecordSet& r) { r.Sonar.PingRateS = 400; }},
      {"the read-only word is stored like any other", "Reserved1S 77\n",
       [](RecordSet& r) { r.Sonar.Reserved1S = 77; }},
      {"blanks, control bytes and bytes above 0x7F before the name",
       " \x01\x1f\xa0\xff"
       "DMTOTmI 9\n",
       [](RecordSet& r) { r.Idle.DMTOTmI = 9; }},
  });
}

TEST_F(TemplateReaderTest, SkipsLinesThatSetNothing) {
  Run({
      {"an empty file", "", Unchanged},
      {"blank lines", "\n   \n\t\n", Unchanged},
      {"comments", "/PingRateS 300\n  :MinDistS 5\n\t/ MaxDistS 20\n", Unchanged},
      {"unknown names", "PingRate 300\nPingRateSS 300\nNoSuchField 5\n", Unchanged},
      {"names without values", "PingRateS\nPingRateS =\nMinDistS ,\t\n", Unchanged},
      {"values that are not numbers", "PingRateS abc\nMinDistS =/ 5\n", Unchanged},
      {"a zero byte ends the line", "PingRateS\0 300\n"s, Unchanged},
      {"a name longer than any field", std::string(300, 'P') + " 300\n", Unchanged},
  });
}

TEST_F(TemplateReaderTest, TakesOnlyValuesThatFitAWord) {
  Run({
      {"65535 and leading zeros", "Key1CodeWA 65535\nKey2CodeWA 000123\n",
       [](RecordSet& r) {
         r.WalkAway.Key1CodeWA = 65535;
         r.WalkAway.Key2CodeWA = 123;
       }},
      {"too large or signed",
       "Key1CodeWA 65536\nKey2CodeWA 70000\nKey3CodeWA -1\nKey4CodeWA +5\n"
       "Key5CodeWA 99999999999999999999\nKey6CodeWA 4294967296\n",
       Unchanged},
  });
}

TEST_F(TemplateReaderTest, ReadsWindowsLineEnds) {
  Run({
      {"fields and a comment", "/ tsSonarParms\r\nPingRateS = 300     / ms\r\n\r\nMinDistS 9\r\n",
       [](RecordSet& r) {
         r.Sonar.PingRateS = 300;
         r.Sonar.MinDistS = 9;
       }},
      {"names without values", "PingRateS\r\nMinDistS =\r\n", Unchanged},
  });
}

TEST_F(TemplateReaderTest, DiscardsTheRestOfAnOverLongLine) {
  const std::string padding(150, ' ');
  Run({
      {"the tail of a long comment is no line of its own",
       "/" + std::string(126, 'x') + "PingRateS 300\nMinDistS 9\n",
       [](RecordSet& r) { r.Sonar.MinDistS = 9; }},
      {"the head of a long field line still counts",
       "PingRateS 300" + padding + "MinDistS 8\nMaxDistS 50\n",
       [](RecordSet& r) {
         r.Sonar.PingRateS = 300;
         r.Sonar.MaxDistS = 50;
       }},
      {"a line of exactly 127 characters is whole",
       "PingRateS 300" + std::string(127 - 13, ' ') + "\nMinDistS 9\n",
       [](RecordSet& r) {
         r.Sonar.PingRateS = 300;
         r.Sonar.MinDistS = 9;
       }},
      {"a value cut off at 127 characters", std::string(115, ' ') + "Key1CodeWA 12345\n",
       [](RecordSet& r) { r.WalkAway.Key1CodeWA = 1; }},
  });
}

TEST_F(TemplateReaderTest, DropsOnlyTheRecordThatFailsItsCheck) {
  Run({
      {"PingRateS 199",
       "MinDistS 9\nPingRateS 199\nKeyCountWA 5\nPressRateI 30\n",
       [](RecordSet& r) {
         r.WalkAway.KeyCountWA = 5;
         r.Idle.PressRateI = 30;
       },
       {0, 1, 1, 1}},
      {"walk-away and walk-up delays out of range",
       "InterKeyDelayWA 63\nInterKeyDelayWU 16321\nPingRateS 1020\n",
       [](RecordSet& r) { r.Sonar.PingRateS = 1020; },
       {1, 0, 0, 1}},
  });
}

TEST_F(TemplateReaderTest, AFileThatCannotBeReadChangesNothing) {
  CurrentSlot().DevError = 0x1234;
  const std::vector<std::string> paths = {folder.File("missing.txt"), folder.Path().string()};
  for (const std::string& path : paths) {
    EXPECT_EQ(ReadDevCfgFmFile(path.c_str()), 0) << path;
  }
  EXPECT_EQ(ReadDevCfgFmFile(nullptr), 0);
  RecordSet preview;
  RecordFlags stored;
  EXPECT_EQ(PreviewDevCfgFmFile(folder.Path().string().c_str(), &preview, &stored), 0);
  ExpectRecords(CachedRecords(), OrdinaryRecords());
  EXPECT_EQ(CachedDirtyFlags(), (DirtyFlags{0, 0, 0, 0}));
  EXPECT_EQ(GetDevError(), 0x1234u);
}

}  // namespace
}  // namespace kv::testing
