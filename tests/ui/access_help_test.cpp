// A sensor that is present but may not be opened is named in the window,
// with why and the commands that install the udev rule, at start-up and on
// arrival; not once per device change.
#include "access_help.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sheet_fixture.h"

namespace kv::ui::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::SizeIs;

constexpr const char* kDenied = "/dev/hidraw7";
constexpr const char* kInstall = "sudo install -m 644 res/70-kv7700.rules /etc/udev/rules.d/";
constexpr const char* kReload = "sudo udevadm control --reload-rules && sudo udevadm trigger";

class AccessHelpTest : public SheetTest {
 protected:
  // Starts the real sheet, with the rule installed in `ruleDirectory` or
  // nowhere ("").
  void StartWithRule(const std::string& ruleDirectory) {
    app.SetRunner(&runner);
    ASSERT_TRUE(app.InitInstance(ownerless));
    app.Sheet()->Access().SetRuleDirectories(
        {"/etc/udev/rules.d", "/usr/lib/udev/rules.d"}, [ruleDirectory](const std::string& path) {
          return !ruleDirectory.empty() && path == ruleDirectory + "/70-kv7700.rules";
        });
    host = std::make_unique<MemorySheetHost>(*app.Sheet());
    host->Open(&hotPlug);
  }

  std::string PlugDenied() {
    bus.DenyAccess(kDenied);
    return bus.PlugSensor(std::make_shared<emu::EmulatedSensor>(0x0144), emu::kSensorVendor, 0x0144,
                          kDenied);
  }
};

struct StartupCase {
  std::string ruleDirectory;
  std::vector<std::string> said;
  std::vector<std::string> notSaid;
};

void PrintTo(const StartupCase& c, std::ostream* os) {
  *os << "rule in '" << c.ruleDirectory << "'";
}

class AccessHelpStartupTest : public AccessHelpTest,
                              public ::testing::WithParamInterface<StartupCase> {};

TEST_P(AccessHelpStartupTest, NamesTheSensorAndTheCommandsForWhereTheRuleIs) {
  const StartupCase& c = GetParam();
  PlugDenied();
  Plug(0x0143);  // an accessible one beside it is edited as usual
  StartWithRule(c.ruleDirectory);

  EXPECT_EQ(host->Caption(), "KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 1.43");
  const auto& messages = host->Record().Messages();
  ASSERT_THAT(messages, SizeIs(1));
  EXPECT_EQ(messages[0].caption, "Sensor not accessible");
  EXPECT_EQ(messages[0].icon, MessageIcon::Warning);
  EXPECT_THAT(messages[0].text,
              HasSubstr("A KV7700 sensor is present at /dev/hidraw7, but this user may not "
                        "open it."));
  for (const std::string& text : c.said) {
    EXPECT_THAT(messages[0].text, HasSubstr(text));
  }
  for (const std::string& text : c.notSaid) {
    EXPECT_THAT(messages[0].text, Not(HasSubstr(text)));
  }
}

#if defined(_WIN32)
// No rule on Windows: a refusal means another program holds the sensor.
INSTANTIATE_TEST_SUITE_P(RuleInstalledOrNot, AccessHelpStartupTest,
                         ::testing::Values(StartupCase{
                             "",
                             {"Another program may hold the sensor exclusively",
                              "plug it back in: the window opens it"},
                             {"udev", "sudo"}}));
#else
INSTANTIATE_TEST_SUITE_P(
    RuleInstalledOrNot, AccessHelpStartupTest,
    ::testing::Values(StartupCase{"",
                                  {kInstall, kReload, "unplug the sensor and plug it in again"},
                                  {"rule is installed ("}},
                      StartupCase{"/usr/lib/udev/rules.d",
                                  {"is installed (/usr/lib/udev/rules.d/70-kv7700.rules)", kReload,
                                   "remote session"},
                                  {kInstall}}));
#endif

TEST_F(AccessHelpTest, ArrivalIsToldOnceUntilTheSensorComesBack) {
  StartWithRule("");
  EXPECT_THAT(host->Record().Messages(), IsEmpty());  // nothing there, nothing to say

  const std::string path = PlugDenied();
  ASSERT_THAT(host->Record().Messages(), SizeIs(1));
  EXPECT_THAT(host->Record().Messages()[0].text, HasSubstr(kDenied));
  EXPECT_EQ(host->Caption(), "KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 0.00");

  // Other device changes do not repeat it.
  std::string other;
  Plug(0x0143, &other);
  bus.Unplug(other);
  EXPECT_THAT(host->Record().Messages(), SizeIs(1));

  // Plugged in again and still denied: told again.
  bus.Unplug(path);
  bus.PlugSensor(std::make_shared<emu::EmulatedSensor>(0x0144), emu::kSensorVendor, 0x0144,
                 kDenied);
  EXPECT_THAT(host->Record().Messages(), SizeIs(2));

  // With the rule applied the sensor opens on its next arrival, silently.
  bus.Unplug(path);
  bus.DenyAccess(kDenied, false);
  bus.PlugSensor(std::make_shared<emu::EmulatedSensor>(0x0144), emu::kSensorVendor, 0x0144,
                 kDenied);
  EXPECT_THAT(host->Record().Messages(), SizeIs(2));
  EXPECT_EQ(host->Caption(), "KV7700 " KV_APP_VERSION ", DLL 5.50, DeviceFW 1.44");
}

TEST(AccessDeniedMessageTest, NamesEverySensor) {
  const MessageRequest message = AccessDeniedMessage({"/dev/hidraw1", "/dev/hidraw2"}, "");
  EXPECT_THAT(message.text, HasSubstr("present at /dev/hidraw1,"));
  EXPECT_THAT(message.text, HasSubstr("present at /dev/hidraw2,"));
}

}  // namespace
}  // namespace kv::ui::testing
