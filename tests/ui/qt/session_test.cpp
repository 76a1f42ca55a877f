#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <kv7700/clock.h>
#include <kv7700/emulation.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "hid/emulated/emulated_sensor.h"
#include "hid/emulated/sensor_file.h"
#include "hid/emulated/sensor_set_probe.h"
#include "program.h"
#include "qt_test_app.h"

namespace kv::ui::qt {
namespace {

using ::testing::HasSubstr;

TEST(CommandLineTest, TakesOnlyTheSimulateOption) {
  struct Case {
    std::vector<std::string> arguments;
    bool valid;
    std::vector<std::string> files;
  };
  const Case cases[] = {
      {{}, true, {}},
      {{"--simulate"}, true, {""}},
      {{"--simulate=a.json", "--simulate"}, true, {"a.json", ""}},
      {{"--simulate="}, false, {}},
      {{"--simulate", "a.json"}, false, {}},
      {{"--help"}, false, {}},
  };
  for (const Case& c : cases) {
    Options options;
    std::string error;
    EXPECT_EQ(ParseProgramOptions(c.arguments, &options, &error), c.valid) << error;
    if (c.valid) {
      EXPECT_EQ(options.simulate, !c.files.empty());
      EXPECT_EQ(options.simulateFiles, c.files);
    } else {
      EXPECT_FALSE(error.empty());
    }
  }
}

class SessionFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClock(&clock);
    directory =
        std::filesystem::temp_directory_path() / ("kv7700-session-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory);
  }
  void TearDown() override {
    std::filesystem::remove_all(directory);
    SetClock(nullptr);
  }

  std::unique_ptr<Program> MakeSession(const std::string& file) {
    Options options;
    options.simulate = true;
    options.simulateFiles = {file};
    auto session = std::make_unique<Program>(options);
    session->Services().SetMessagePresenter([this](QWidget*, const MessageRequest& request) {
      messages.push_back(request.text);
      return MessageResult::Ok;
    });
    return session;
  }

  QApplication& application = testing::TestApplication();
  VirtualClock clock;
  std::filesystem::path directory;
  std::vector<std::string> messages;
};

TEST_F(SessionFileTest, KeepsTheEmulatedSensorInItsFileBetweenRuns) {
  const std::string file = (directory / "sensor.json").string();
  emu::Memory changed{};
  {
    auto session = MakeSession(file);
    int status = -1;
    ASSERT_TRUE(session->Prepare(&status));
    session->StartNow();
    emu::EmulatedSensor& sensor = emu::SensorSetProbe::Sensor(*session->Emulation(), 0);
    {
      std::lock_guard<std::recursive_mutex> lock(sensor.Mutex());
      sensor.Working()[0][1] = 0x2A;
      changed = sensor.Working();
    }
    EXPECT_EQ(session->Finish(), 0);
  }
  emu::SensorImage image;
  std::string error;
  ASSERT_TRUE(emu::LoadSensorFile(file, &image, &error)) << error;
  EXPECT_EQ(image.memories.working, changed);
  EXPECT_TRUE(messages.empty());
}

TEST_F(SessionFileTest, AFileThatIsNoSensorEndsTheProgramAndSaysWhich) {
  const std::string file = (directory / "broken.json").string();
  std::ofstream(file) << "not a sensor";
  auto session = MakeSession(file);
  int status = -1;
  EXPECT_FALSE(session->Prepare(&status));
  EXPECT_EQ(status, 2);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_THAT(messages[0], HasSubstr(file));
  session.reset();
  std::ifstream kept(file);
  std::string text;
  std::getline(kept, text);
  EXPECT_EQ(text, "not a sensor");  // left as it was
}

}  // namespace
}  // namespace kv::ui::qt
