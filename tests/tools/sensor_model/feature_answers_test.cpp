// The virtual sensors' answers to the host: the firmware model's bytes,
// whole, with the leading report-id byte, and its 250 ms answer delay intact.
#include "feature_answers.h"

#include <gtest/gtest.h>
#include <kv7700/clock.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "hid/emulated/emulated_sensor.h"
#include "hidraw_node.h"
#include "report_descriptor.h"

namespace kv::sensor_model {
namespace {

class FeatureAnswersTest : public ::testing::Test {
 protected:
  void SetUp() override { SetClock(&clock); }
  void TearDown() override { SetClock(nullptr); }

  bool Send(std::initializer_list<std::uint8_t> bytes) {
    const std::vector<std::uint8_t> report(bytes);
    return answers.Set(0, ReportType::Feature, report.data(), report.size());
  }

  VirtualClock clock;
  emu::EmulatedSensor sensor{0x0410};
  FeatureAnswers answers{sensor};
};

TEST_F(FeatureAnswersTest, TheVersionAnswerComesWholeAfterTheSensorsDelay) {
  ASSERT_TRUE(Send({0, 0x8A, 0, 0, 0, 0, 0, 0, 0}));
  const GetAnswer early = answers.Get(0, ReportType::Feature);
  clock.Advance(250);
  const GetAnswer ready = answers.Get(0, ReportType::Feature);

  ASSERT_TRUE(early.ok);
  EXPECT_EQ(early.bytes, std::vector<std::uint8_t>(9, 0));  // the buffer held nothing yet
  ASSERT_TRUE(ready.ok);
  ASSERT_EQ(ready.bytes.size(), 9u);
  EXPECT_EQ(ready.bytes[0], 0);     // the report-id byte the host expects
  EXPECT_EQ(ready.bytes[3], 0x10);  // firmware 4.10, low byte first
  EXPECT_EQ(ready.bytes[4], 0x04);
}

TEST_F(FeatureAnswersTest, AShortSensorAnswersFewerBytes) {
  FeatureAnswers shortAnswers(sensor, 5);
  const GetAnswer answer = shortAnswers.Get(0, ReportType::Feature);
  ASSERT_TRUE(answer.ok);
  EXPECT_EQ(answer.bytes.size(), 5u);
}

TEST_F(FeatureAnswersTest, OnlyTheOneFeatureReportOfNineBytesIsTaken) {
  const std::vector<std::uint8_t> nine = {0, 0xB1, 0, 0, 0, 0, 0, 0, 0};
  const std::vector<std::uint8_t> eight = {0xB1, 0, 0, 0, 0, 0, 0, 0};
  const std::vector<std::uint8_t> withId = {1, 0xB1, 0, 0, 0, 0, 0, 0, 0};
  const struct {
    const char* what;
    std::uint8_t number;
    ReportType type;
    const std::vector<std::uint8_t>& bytes;
  } refused[] = {
      {"report number 1", 1, ReportType::Feature, nine},
      {"an output report", 0, ReportType::Output, nine},
      {"eight bytes", 0, ReportType::Feature, eight},
      {"a report id byte", 0, ReportType::Feature, withId},
  };
  for (const auto& c : refused) {
    EXPECT_FALSE(answers.Set(c.number, c.type, c.bytes.data(), c.bytes.size())) << c.what;
  }
  EXPECT_FALSE(sensor.KeySendsHalted());
  EXPECT_FALSE(answers.Get(1, ReportType::Feature).ok);
  EXPECT_FALSE(answers.Get(0, ReportType::Input).ok);
  EXPECT_TRUE(answers.Set(0, ReportType::Feature, nine.data(), nine.size()));
  EXPECT_TRUE(sensor.KeySendsHalted());
}

TEST_F(FeatureAnswersTest, AVanishedSensorFailsEveryRequest) {
  sensor.Vanish();
  EXPECT_FALSE(Send({0, 0x8A, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(answers.Get(0, ReportType::Feature).ok);
}

// The short items of a report descriptor, as (prefix, data) pairs.
std::vector<std::pair<std::uint8_t, std::uint32_t>> Items(const std::vector<std::uint8_t>& d) {
  std::vector<std::pair<std::uint8_t, std::uint32_t>> items;
  for (std::size_t i = 0; i < d.size();) {
    const std::uint8_t prefix = d[i] & 0xFC;
    const std::size_t size = (d[i] & 0x03) == 3 ? 4 : (d[i] & 0x03);
    std::uint32_t data = 0;
    for (std::size_t b = 0; b < size && i + 1 + b < d.size(); ++b) {
      data |= static_cast<std::uint32_t>(d[i + 1 + b]) << (8 * b);
    }
    items.emplace_back(prefix, data);
    i += 1 + size;
  }
  return items;
}

TEST(ReportDescriptorTest, TheSensorIsAKeyboardWithEightFeatureBytesTheForeignDeviceNoKeyboard) {
  constexpr std::uint8_t kUsagePage = 0x04, kUsage = 0x08, kReportId = 0x84, kCount = 0x94,
                         kFeature = 0xB0;
  const struct {
    const char* name;
    std::vector<std::uint8_t> descriptor;
    bool keyboard;
    bool eightFeatureBytes;
  } cases[] = {
      {"sensor", SensorReportDescriptor(), true, true},
      {"foreign", ForeignReportDescriptor(), false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bool keyboard = false, eightFeatureBytes = false, reportIds = false;
    std::uint32_t page = 0, count = 0;
    for (const auto& [prefix, data] : Items(c.descriptor)) {
      if (prefix == kUsagePage) page = data;
      if (prefix == kUsage && page == 0x01 && data == 0x06) keyboard = true;
      if (prefix == kCount) count = data;
      if (prefix == kFeature && count == 8) eightFeatureBytes = true;  // D1 to D8
      if (prefix == kReportId) reportIds = true;
    }
    EXPECT_EQ(keyboard, c.keyboard);
    EXPECT_EQ(eightFeatureBytes, c.eightFeatureBytes);
    EXPECT_FALSE(reportIds);
  }
}

TEST(HidrawNodeTest, FindsTheNodeWhoseDeviceCarriesTheUniqueId) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("hidraw-class-" + std::to_string(::getpid()));
  const struct {
    const char* node;
    const char* uniq;
  } nodes[] = {{"hidraw0", "other"}, {"hidraw1", "kv7700-uhid-7"}, {"hidraw2", "kv7700-uhid-70"}};
  for (const auto& n : nodes) {
    fs::create_directories(root / n.node / "device");
    std::ofstream(root / n.node / "device" / "uevent")
        << "HID_ID=0003:000018C8:00002BFA\nHID_UNIQ=" << n.uniq << "\n";
  }
  EXPECT_EQ(FindHidrawNode("kv7700-uhid-7", root), "/dev/hidraw1");
  EXPECT_EQ(FindHidrawNode("kv7700-uhid-70", root), "/dev/hidraw2");
  EXPECT_EQ(FindHidrawNode("kv7700-uhid-8", root), "");
  EXPECT_EQ(FindHidrawNode("x", root / "missing"), "");
  fs::remove_all(root);
}

}  // namespace
}  // namespace kv::sensor_model
