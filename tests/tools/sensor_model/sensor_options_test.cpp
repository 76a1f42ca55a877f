// Both virtual sensors' command line: the ids are four hex digits at most,
// and anything else is refused before a device is made with it.
#include "sensor_options.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kv::sensor_model {
namespace {

// The options a command line gives, or nothing when it is refused.
std::optional<SensorOptions> Parse(std::vector<std::string> args) {
  CLI::App app;
  SensorOptions options;
  SensorOptionParser parser(app, options);
  args.insert(args.begin(), "sensor");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
    parser.Finish();
  } catch (const CLI::Error&) {
    return std::nullopt;
  }
  return options;
}

TEST(SensorOptionsTest, IdsAreTakenAsHex) {
  const std::optional<SensorOptions> options =
      Parse({"--vendor", "04D8", "--product", "2bfa", "--firmware", "143"});
  ASSERT_TRUE(options);
  EXPECT_EQ(options->vendor, 0x04D8);
  EXPECT_TRUE(options->vendorGiven);
  EXPECT_EQ(options->product, 0x2BFA);
  EXPECT_EQ(options->firmware, 0x0143);
}

TEST(SensorOptionsTest, WhatIsNotAWordOfHexIsRefused) {
  for (const char* option : {"--vendor", "--product", "--firmware"}) {
    for (const char* value : {"10000", "18c8x", "xyz", "-1", "18c8 "}) {
      EXPECT_FALSE(Parse({option, value})) << option << " " << value;
    }
  }
  for (const char* bytes : {"0", "10"}) EXPECT_FALSE(Parse({"--answer-bytes", bytes})) << bytes;
}

}  // namespace
}  // namespace kv::sensor_model
