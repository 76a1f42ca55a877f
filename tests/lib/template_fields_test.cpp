// The template field table: finding a field by name.
#include <gtest/gtest.h>
#include <kv7700/template_fields.h>

#include <string>

#include "lib_state.h"

namespace kv {
namespace {

TEST(SetFieldByName, ANameThatIsNoFieldStoresNothing) {
  RecordSet records;
  for (const char* name : {"PingRate", "PingRateSS", "PingRateS ", "", "KeyCountW", "Key7CodeWA"}) {
    EXPECT_EQ(SetFieldByName(name, 1, &records), 0) << name;
  }
  EXPECT_EQ(SetFieldByName(nullptr, 1, &records), 0);
  EXPECT_EQ(SetFieldByName("PingRateS", 1, nullptr), 0);
  EXPECT_EQ(records.Sonar, tsSonarParms{});
  EXPECT_EQ(records.WalkAway, tsWalkAwayParms{});
  EXPECT_EQ(records.WalkUp, tsWalkUpParms{});
  EXPECT_EQ(records.Idle, tsIdleParms{});
}

TEST(SetFieldByName, EveryRowIsFoundByItsOwnName) {
  for (const TemplateField& field : kTemplateFields) {
    RecordSet records;
    ASSERT_EQ(SetFieldByName(std::string(field.name).c_str(), 4242, &records), 1);
    EXPECT_EQ(FieldWord(records, field), 4242) << field.name;
    EXPECT_EQ(FindTemplateField(field.name), &field);
  }
}

}  // namespace
}  // namespace kv
