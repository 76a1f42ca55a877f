// The template field table: finding a field by name.
#include <gtest/gtest.h>
#include <kv7700/kv7700.h>
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

// Stores the record `field` belongs to through its public Set operation.
int StoreRecordOf(const RecordSet& records, const TemplateField& field) {
  switch (field.record) {
    case RecordKind::Sonar:
      return SetSonarParms(&records.Sonar);
    case RecordKind::WalkAway:
      return SetWalkAwayParms(&records.WalkAway);
    case RecordKind::WalkUp:
      return SetWalkUpParms(&records.WalkUp);
    case RecordKind::Idle:
      return SetIdleParms(&records.Idle);
  }
  return 0;
}

// Every checked word at its lowest value, every other word 0: all accepted.
RecordSet Acceptable() {
  RecordSet records;
  for (const TemplateField& field : kTemplateFields) FieldWord(records, field) = field.check.low;
  return records;
}

class FieldChecks : public ::testing::Test {
 protected:
  void SetUp() override { CloseAllDevices(); }
  void TearDown() override { CloseAllDevices(); }
};

// The limits the table gives a field are the ones the Set operations hold it
// to: low and high are taken, one beyond either is refused with the row's
// check code (below 0 wraps to 65535, which counts as negative). A word
// without a check takes anything.
TEST_F(FieldChecks, TheTableLimitsAreWhatTheSetOperationsAccept) {
  for (const TemplateField& field : kTemplateFields) {
    SCOPED_TRACE(std::string(field.name));
    struct Probe {
      std::uint16_t value;
      bool accepted;
    };
    const bool checked = field.check.code != 0;
    const Probe probes[] = {
        {static_cast<std::uint16_t>(field.check.low - 1), !checked},
        {field.check.low, true},
        {checked ? field.check.high : std::uint16_t{0xFFFF}, true},
        {static_cast<std::uint16_t>(field.check.high + 1), !checked},
    };
    for (const Probe& probe : probes) {
      RecordSet records = Acceptable();
      FieldWord(records, field) = probe.value;
      EXPECT_EQ(StoreRecordOf(records, field), probe.accepted ? 1 : 0) << probe.value;
      EXPECT_EQ(GetDevError(), probe.accepted ? 0u : (kGroupSet | field.check.code)) << probe.value;
    }
  }
}

TEST_F(FieldChecks, ARefusalNamesItsFieldThroughTheCheckCode) {
  for (const TemplateField& field : kTemplateFields) {
    if (field.check.code == 0) continue;
    EXPECT_EQ(FindCheckedField(kGroupSet | field.check.code), &field) << field.name;
    EXPECT_EQ(FindCheckedField(field.check.code), &field) << field.name;
  }
  for (std::uint32_t status : {0u, kErrGetFailed, kGroupRead | kErrGetFailed, kErrSetNullPointer,
                               kGroupSet, kErrGetNotRead}) {
    EXPECT_EQ(FindCheckedField(status), nullptr) << std::hex << status;
  }
}

}  // namespace
}  // namespace kv
