// The USB sensor's control requests: the feature report crosses the wire
// without its report id, and requests a sensor has no answer for are stalled
// rather than handed to the firmware model.
#include "control_requests.h"

#include <gtest/gtest.h>
#include <kv7700/clock.h>

#include "hid/emulated/emulated_sensor.h"
#include "report_descriptor.h"

namespace kv::usb {
namespace {

class ControlRequestsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClock(&clock);
    identity.serial = "kv7700-usb-42";
    identity.reportDescriptor = sensor_model::SensorReportDescriptor();
  }
  void TearDown() override { SetClock(nullptr); }

  VirtualClock clock;
  emu::EmulatedSensor sensor{0x0410};
  sensor_model::FeatureAnswers answers{sensor};
  UsbIdentity identity;
  ControlRequests requests{identity, &answers};
};

constexpr ControlRequest kGetFeature{0xA1, 0x01, 0x0300, 0, 8};
constexpr ControlRequest kSetFeature{0x21, 0x09, 0x0300, 0, 8};

TEST_F(ControlRequestsTest, TheFeatureReportTravelsAsEightDataBytes) {
  ASSERT_EQ(requests.Answer(kSetFeature).reply, Reply::ReceiveData);
  const std::uint8_t version[] = {0x8A, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_TRUE(requests.Received(kSetFeature, version, sizeof version));
  clock.Advance(250);

  const ControlAnswer answer = requests.Answer(kGetFeature);
  ASSERT_EQ(answer.reply, Reply::Data);
  ASSERT_EQ(answer.data.size(), 8u);
  EXPECT_EQ(answer.data[2], 0x10);  // firmware 4.10, low byte first, no report id before it
  EXPECT_EQ(answer.data[3], 0x04);
}

TEST_F(ControlRequestsTest, ReportsTheSensorDoesNotHaveNeverReachItsFirmware) {
  const std::uint8_t halt[] = {0xB1, 0, 0, 0, 0, 0, 0, 0};
  const struct {
    const char* what;
    ControlRequest request;
    std::size_t size;
  } refused[] = {
      {"an output report", {0x21, 0x09, 0x0200, 0, 8}, 8},
      {"report id 1", {0x21, 0x09, 0x0301, 0, 8}, 8},
      {"seven data bytes", {0x21, 0x09, 0x0300, 0, 7}, 7},
  };
  for (const auto& c : refused) {
    EXPECT_FALSE(requests.Received(c.request, halt, c.size)) << c.what;
  }
  EXPECT_FALSE(sensor.KeySendsHalted());

  const ControlRequest stalled[] = {
      {0xA1, 0x01, 0x0100, 0, 8},    // an input report
      {0xA1, 0x01, 0x0300, 1, 8},    // an interface the device does not have
      {0x80, 0x06, 0x0307, 0, 255},  // a string it does not have
      {0xA1, 0x05, 0x0000, 0, 1},    // an unknown class request
  };
  for (const ControlRequest& request : stalled) {
    EXPECT_EQ(requests.Answer(request).reply, Reply::Stall) << int(request.request);
  }

  sensor_model::FeatureAnswers* noSensor = nullptr;
  ControlRequests foreign(identity, noSensor);
  EXPECT_EQ(foreign.Answer(kGetFeature).reply, Reply::Stall);
  EXPECT_EQ(foreign.Answer(kSetFeature).reply, Reply::Stall);
  EXPECT_FALSE(foreign.Received(kSetFeature, halt, sizeof halt));
}

TEST_F(ControlRequestsTest, DescriptorsAreCutToTheLengthAskedFor) {
  const ControlAnswer head = requests.Answer({0x81, 0x06, 0x2200, 0, 9});
  ASSERT_EQ(head.reply, Reply::Data);
  EXPECT_EQ(head.data, std::vector<std::uint8_t>(identity.reportDescriptor.begin(),
                                                 identity.reportDescriptor.begin() + 9));

  const ControlAnswer serial = requests.Answer({0x80, 0x06, 0x0303, 0x0409, 255});
  ASSERT_EQ(serial.reply, Reply::Data);
  ASSERT_EQ(serial.data.size(), 2 + 2 * identity.serial.size());
  EXPECT_EQ(serial.data[0], serial.data.size());
  EXPECT_EQ(serial.data[2], 'k');
  EXPECT_EQ(serial.data[3], 0);
}

TEST(UsbStringDescriptor, KeepsWithinADescriptorsLengthAndAscii) {
  UsbIdentity identity;
  identity.productName = std::string(200, 'x') + "\xC3\xA9";
  identity.manufacturer = "caf\xC3\xA9";
  const std::vector<std::uint8_t> product = StringDescriptor(identity, kStringProduct);
  EXPECT_EQ(product.size(), 254u);
  EXPECT_EQ(product[0], 254);
  const std::vector<std::uint8_t> maker = StringDescriptor(identity, kStringManufacturer);
  EXPECT_EQ(maker[0], maker.size());
  EXPECT_EQ(maker[8], '?');
}

}  // namespace
}  // namespace kv::usb
