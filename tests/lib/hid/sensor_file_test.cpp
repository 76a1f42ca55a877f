// Emulated sensors kept in files between runs.
#include "hid/emulated/sensor_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

namespace kv::emu {
namespace {

namespace fs = std::filesystem;

class SensorFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::path(::testing::TempDir()) /
          ("kv-sensor-file-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string PathOf(const char* name) const { return (dir / name).string(); }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
  }

  fs::path dir;
};

void ExpectSameImage(const SensorImage& a, const SensorImage& b) {
  EXPECT_EQ(a.memories.working, b.memories.working);
  EXPECT_EQ(a.memories.user, b.memories.user);
  EXPECT_EQ(a.memories.factory, b.memories.factory);
  EXPECT_EQ(a.firmwareVersion, b.firmwareVersion);
  EXPECT_EQ(a.vendorId, b.vendorId);
  EXPECT_EQ(a.releaseNumber, b.releaseNumber);
}

TEST_F(SensorFileTest, AMissingFileIsCreatedWithAFactoryFreshSensor) {
  const std::string path = PathOf("new.json");
  SensorImage image;
  image.firmwareVersion = 0x0001;  // must be replaced
  std::string error;
  ASSERT_TRUE(LoadSensorFile(path, &image, &error)) << error;
  ExpectSameImage(image, SensorImage{});
  EXPECT_EQ(image.memories.working, FactoryMemory());
  ASSERT_TRUE(fs::exists(path));

  SensorImage again;
  ASSERT_TRUE(LoadSensorFile(path, &again, &error)) << error;
  ExpectSameImage(again, SensorImage{});
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1)
      << "no temporary file is left behind";
}

TEST_F(SensorFileTest, ARunningSensorSurvivesSaveAndLoad) {
  auto sensor = std::make_shared<EmulatedSensor>(0x0401);
  std::uint8_t value = 0;
  for (Memory* memory : {&sensor->Working(), &sensor->UserDefaults(), &sensor->FactoryDefaults()}) {
    for (Block& block : *memory) {
      for (std::uint8_t& byte : block) byte = value += 37;  // every byte differs, 0x00..0xFF
    }
  }
  const std::string path = PathOf("sensor.json");
  std::string error;
  ASSERT_TRUE(SaveSensorFile(path, ImageOf(*sensor, kSensorVendorAlt, 0x0399), &error)) << error;

  SensorImage loaded;
  ASSERT_TRUE(LoadSensorFile(path, &loaded, &error)) << error;
  ExpectSameImage(loaded, ImageOf(*sensor, kSensorVendorAlt, 0x0399));
  auto revived = MakeSensor(loaded);
  EXPECT_EQ(revived->FirmwareVersion(), 0x0401);
  EXPECT_EQ(revived->Working(), sensor->Working());
  EXPECT_EQ(revived->FactoryDefaults(), sensor->FactoryDefaults());
}

TEST_F(SensorFileTest, IdentityMayBeWrittenAsPlainNumbers) {
  SensorImage image;
  std::string text = SensorImageToJson(image);
  const std::string from = "\"firmwareVersion\": \"0x0410\"";
  ASSERT_NE(text.find(from), std::string::npos) << text;
  text.replace(text.find(from), from.size(), "\"firmwareVersion\": 1025");
  std::string error;
  ASSERT_TRUE(SensorImageFromJson(text, &image, &error)) << error;
  EXPECT_EQ(image.firmwareVersion, 0x0401);
}

TEST_F(SensorFileTest, AMalformedFileFailsClearlyAndIsLeftAlone) {
  const std::string valid = SensorImageToJson(SensorImage{});
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = valid;
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
  };
  struct Case {
    std::string text;
    std::string says;
  };
  const Case cases[] = {
      {"", "parse error at line 1"},
      {"{\"format\": 1,", "parse error"},
      {"[1, 2]", "one JSON object"},
      // A number too large for any type is refused, not thrown out of the reader.
      {"[5116666666666666666666666666666666666666666666666666666666E666]", "number overflow"},
      {replaced("\"format\": 1", "\"format\": 2"), "\"format\" must be 1"},
      {replaced("\"format\": 1,", ""), "\"format\" is missing"},
      {replaced("\"0x18C8\"", "\"0x1234\""), "\"vendorId\" must be 0x18C8 or 0x04D8"},
      {replaced("\"0x18C8\"", "\"18C8\""), "\"vendorId\" must be a number"},
      {replaced("\"firmwareVersion\": \"0x0410\"", "\"firmwareVersion\": 70000"),
       "\"firmwareVersion\" must be a number from 0 to 0xFFFF"},
      {replaced("\"firmwareVersion\": \"0x0410\"", "\"firmwareVersion\": -1"), "firmwareVersion"},
      {replaced("00 32 28 31 7d 0a 02 00", "00 32 28 31 7d 0a 02"),
       "\"working\" block \"0x80\" must be eight bytes"},
      {replaced("00 32 28 31 7d 0a 02 00", "00 32 28 31 7d 0a 02 00 00"), "must be eight bytes"},
      {replaced("00 32 28 31 7d 0a 02 00", "00 32 28 31 7d 0a 02 zz"), "must be eight bytes"},
      {replaced("00 32 28 31 7d 0a 02 00", "00 32 28 31 7d 0a 02 100"), "must be eight bytes"},
      {replaced("\"userDefaults\"", "\"userDefault\""), "\"userDefaults\" is missing"},
      {replaced("\"0x85\"", "\"0x86\""), "\"working\" block \"0x85\" is missing"},
  };
  const std::string path = PathOf("user.json");
  for (const Case& c : cases) {
    Write(path, c.text);
    SensorImage image;
    std::string error;
    EXPECT_FALSE(LoadSensorFile(path, &image, &error)) << c.says;
    EXPECT_NE(error.find(path + " is not a valid emulated sensor file"), std::string::npos)
        << error;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    EXPECT_EQ(Contents(path), c.text) << "the user's file is never overwritten";
  }
}

TEST_F(SensorFileTest, SavingThroughADanglingLinkMakesTheFileItNamesAndKeepsTheLink) {
  const std::string link = PathOf("link.json");
  std::error_code made;
  fs::create_symlink("kept.json", link, made);
  // Windows lets only privileged users make symbolic links.
  if (made) GTEST_SKIP() << "no symbolic link can be made here: " << made.message();
  SensorImage image;
  image.firmwareVersion = 0x0144;
  std::string error;
  ASSERT_TRUE(SaveSensorFile(link, image, &error)) << error;
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
  SensorImage loaded;
  ASSERT_TRUE(LoadSensorFile(PathOf("kept.json"), &loaded, &error)) << error;
  ExpectSameImage(loaded, image);
}

TEST_F(SensorFileTest, FilesThatCannotBeHadAreReportedNotReplaced) {
  SensorImage image;
  std::string error;
  EXPECT_FALSE(LoadSensorFile(PathOf("no-such-dir/sensor.json"), &image, &error));
  EXPECT_NE(error.find("cannot write emulated sensor file"), std::string::npos) << error;
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;

  EXPECT_FALSE(LoadSensorFile(dir.string(), &image, &error));
  EXPECT_NE(error.find("is not a regular file"), std::string::npos) << error;
  EXPECT_TRUE(fs::is_directory(dir));
}

}  // namespace
}  // namespace kv::emu
