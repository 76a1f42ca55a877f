// RecordsAsKept predicts what a write and a read-back leave in the cache, on
// the emulated sensor, for the words the wire changes.
#include <gtest/gtest.h>
#include <kv7700/records_as_kept.h>
#include <kv7700/template_fields.h>

#include "support/library_fixture.h"

namespace kv {
namespace {

class RecordImageTest : public testing::LibraryTest {};

RecordSet Cached() {
  RecordSet records;
  EXPECT_EQ(GetSonarParms(&records.Sonar), 1);
  EXPECT_EQ(GetWalkAwayParms(&records.WalkAway), 1);
  EXPECT_EQ(GetWalkUpParms(&records.WalkUp), 1);
  EXPECT_EQ(GetIdleParms(&records.Idle), 1);
  return records;
}

TEST_F(RecordImageTest, PredictsTheReadBackOfAWrite) {
  struct Case {
    const char* field;
    std::uint16_t value;
    std::uint16_t kept;
  };
  const Case cases[] = {
      {"PingRateS", 502, 500},       // 4 ms steps
      {"InterKeyDelayWA", 100, 64},  // 64 ms steps
      {"Flags0WU", 0x35, 0x05},      // four bits travel
      {"LEDFlagsS", 0xFF, 0x7F},     // seven bits travel
      {"StartDlyS", 300, 44},        // one byte
      {"MinDistS", 33, 33},          // through echo ticks and back
      {"MaxDistS", 60, 60},          //
      {"Reserved1S", 99, 99},        // read-only, sent back as cached
      {"Reserved2WU", 9, 0x33},      // the sensor's own word travels
      {"Reserved1I", 9, 0x07},       // the sensor's own, four bits of it
  };
  auto sensor = AddSensor(0x0410);
  sensor->Working()[4][1] = 0x33;  // Reserved2WU
  sensor->Working()[5][0] = 0x17;  // Reserved1I
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    ASSERT_EQ(ReadDevCfg(), 1);
    const RecordSet before = Cached();
    RecordSet edited = before;
    const TemplateField* field = FindTemplateField(c.field);
    ASSERT_NE(field, nullptr);
    FieldWord(edited, *field) = c.value;
    ASSERT_EQ(SetSonarParms(&edited.Sonar), 1);
    ASSERT_EQ(SetWalkAwayParms(&edited.WalkAway), 1);
    ASSERT_EQ(SetWalkUpParms(&edited.WalkUp), 1);
    ASSERT_EQ(SetIdleParms(&edited.Idle), 1);
    ASSERT_EQ(WriteDevCfg(), 1);
    ASSERT_EQ(ReadDevCfg(), 1);
    const RecordSet kept = RecordsAsKept(edited, before);
    EXPECT_EQ(FieldWord(kept, *field), c.kept);
    EXPECT_EQ(Cached(), kept);
  }
}

}  // namespace
}  // namespace kv
