// The template field table: finding a field by name and scanning a value.
#include "template_fields.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "lib_state.h"

namespace kv {
namespace {

TEST(SetFieldByName, StoresIntoTheNamedWordWhateverTheCase) {
  RecordSet records;
  EXPECT_EQ(SetFieldByName("pingrates", 300, &records), 1);
  EXPECT_EQ(SetFieldByName("KEY6CODEWU", 7, &records), 1);
  EXPECT_EQ(SetFieldByName("MinFltRepRate", 9, &records), 1);
  EXPECT_EQ(SetFieldByName("snBlankTmI", 65535, &records), 1);

  RecordSet expected;
  expected.Sonar.PingRateS = 300;
  expected.WalkUp.Key6CodeWU = 7;
  expected.WalkAway.MinFltRepRate = 9;
  expected.Idle.SNBlankTmI = 65535;
  EXPECT_EQ(records.Sonar, expected.Sonar);
  EXPECT_EQ(records.WalkAway, expected.WalkAway);
  EXPECT_EQ(records.WalkUp, expected.WalkUp);
  EXPECT_EQ(records.Idle, expected.Idle);
}

TEST(SetFieldByName, ANameThatIsNoFieldStoresNothing) {
  RecordSet records;
  for (const char* name : {"PingRate", "PingRateSS", "PingRateS ", "",
                           "Ping\xd2"
                           "ateS",
                           "KeyCountW", "Key7CodeWA"}) {
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

TEST(ScanFieldValue, TakesLeadingDigitsThatFitAWord) {
  const std::vector<std::pair<std::string, std::optional<std::uint16_t>>> cases = {
      {"0", 0},
      {"65535", 65535},
      {"000123", 123},
      {" \t\r\v\f\n12abc", 12},
      {"300     / comment", 300},
      {"65536", std::nullopt},
      {"70000", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"-1", std::nullopt},
      {"+5", std::nullopt},
      {"", std::nullopt},
      {"\r\n", std::nullopt},
      {"x12", std::nullopt},
  };
  for (const auto& [text, expected] : cases) {
    std::uint16_t value = 777;
    const bool scanned = ScanFieldValue(text, &value);
    EXPECT_EQ(scanned, expected.has_value()) << text;
    EXPECT_EQ(value, expected.value_or(777)) << text;
  }
}

}  // namespace
}  // namespace kv
