// The library's factory table agrees with what a sensor holds after a factory
// reset, read through the library as from any sensor.
#include <gtest/gtest.h>
#include <kv7700/factory_defaults.h>
#include <kv7700/kv7700.h>

#include "hid/emulated/emulated_bus.h"
#include "support/library_fixture.h"

namespace kv {
namespace {

class FactoryDefaultsTest : public testing::LibraryTest {};

TEST_F(FactoryDefaultsTest, MatchTheSensorAfterAFactoryReset) {
  auto sensor = std::make_shared<emu::EmulatedSensor>(0x0400);
  sensor->Working()[0][1] = 100;  // a changed ping rate, so the reset shows
  bus.PlugSensor(sensor);
  ASSERT_EQ(OpenAllDevices(nullptr), 1);
  ASSERT_EQ(FactoryResetDev(), 1);
  ASSERT_EQ(ReadDevCfg(), 1);

  RecordSet read;
  ASSERT_EQ(GetSonarParms(&read.Sonar), 1);
  ASSERT_EQ(GetWalkAwayParms(&read.WalkAway), 1);
  ASSERT_EQ(GetWalkUpParms(&read.WalkUp), 1);
  ASSERT_EQ(GetIdleParms(&read.Idle), 1);
  const RecordSet defaults = FactoryDefaults();
  EXPECT_EQ(read.Sonar, defaults.Sonar);
  EXPECT_EQ(read.WalkAway, defaults.WalkAway);
  EXPECT_EQ(read.WalkUp, defaults.WalkUp);
  EXPECT_EQ(read.Idle, defaults.Idle);
}

}  // namespace
}  // namespace kv
