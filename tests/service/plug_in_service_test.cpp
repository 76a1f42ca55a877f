// The plug-in service's decisions for one arriving sensor: what the policy
// and the site file allow, what kv7700ctl is asked, and the event each
// outcome logs. The platform is a recording fake; waits are virtual.
#include "plug_in_service.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>

namespace kv::service {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr const char* kSensor =
    "\\\\?\\HID#VID_18C8&PID_2BFA#7&1a2b&0&0000#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}";
constexpr const char* kDefault = "C:\\ProgramData\\KV7700\\site.txt";

class FakeHost final : public Host {
 public:
  PolicyValues policy;
  FileCheck file;
  std::deque<ToolRun> runs;  // what the tool answers, in turn
  std::vector<std::vector<std::string>> asked;
  std::vector<Event> events;

  PolicyValues ReadPolicy() override { return policy; }
  FileCheck CheckFile(const std::string&) override { return file; }
  ToolRun RunTool(const std::vector<std::string>& args) override {
    asked.push_back(args);
    if (runs.empty()) return {true, 1, "", "kv7700ctl: apply: the fake has no more answers"};
    ToolRun run = runs.front();
    if (runs.size() > 1) runs.pop_front();
    return run;
  }
  std::string ToolName() const override { return "C:\\KV7700\\bin\\kv7700ctl.exe"; }
  void Log(const Event& event) override { events.push_back(event); }
};

ToolRun Answer(int exitCode, const std::string& sensorJson, const std::string& err = "") {
  return {true, exitCode, "{\"sensors\": [" + sensorJson + "]}", err};
}

struct OutcomeCase {
  const char* name;
  PolicyValues policy;
  FileCheck file;
  std::vector<ToolRun> runs;
  std::size_t toolRuns;
  EventId event;
  std::vector<std::string> strings;
};

TEST(PlugInServiceTest, EachOutcomeLogsItsEvent) {
  const std::string fileRefused =
      R"({"status": "failed", "file_error": true, "written": [], "error": "SetSonarParms refused the tsSonarParms"})";
  const std::string deviceFailed =
      R"({"status": "failed", "file_error": false, "written": [], "error": "ReadDevCfg failed on sensor 0 with status 00020102: no answer. Plug it in again."})";
  const OutcomeCase cases[] = {
      {"applied",
       {},
       {},
       {Answer(0, R"({"status": "changed", "written": ["tsSonarParms", "tsIdleParms"]})")},
       1,
       EventId::Applied,
       {kSensor, kDefault, "tsSonarParms, tsIdleParms"}},
      {"unchanged",
       {},
       {},
       {Answer(0, R"({"status": "unchanged", "written": []})")},
       1,
       EventId::Unchanged,
       {kSensor, kDefault}},
      {"refused",
       {},
       {},
       {Answer(1, fileRefused)},
       1,
       EventId::SiteFileRefused,
       {kDefault, kSensor, "SetSonarParms refused the tsSonarParms"}},
      {"sensor failed",
       {},
       {},
       {Answer(1, deviceFailed)},
       1,
       EventId::Failed,
       {kSensor, kDefault, "00020102",
        "ReadDevCfg failed on sensor 0 with status 00020102: no answer. Plug it in again."}},
      {"no document",
       {},
       {},
       {{true, 1, "", "kv7700ctl: apply: the library failed with status 00010003\n"}},
       1,
       EventId::Failed,
       {kSensor, kDefault, "00010003", "the library failed with status 00010003"}},
      {"tool missing",
       {},
       {},
       {{false, 0, "", "error 2: The system cannot find the file specified"}},
       1,
       EventId::ToolFailed,
       {"C:\\KV7700\\bin\\kv7700ctl.exe", kSensor,
        "error 2: The system cannot find the file specified"}},
      {"default file missing",
       {},
       {FileState::Missing, ""},
       {},
       0,
       EventId::NotConfigured,
       {kDefault, kSensor}},
      {"policy file missing",
       {"\\\\server\\kv\\site.txt", std::nullopt},
       {FileState::Missing, ""},
       {},
       0,
       EventId::SiteFileMissing,
       {"\\\\server\\kv\\site.txt", kSensor}},
      {"unreadable",
       {},
       {FileState::Unreadable, "error 5: Access is denied"},
       {},
       0,
       EventId::SiteFileUnreadable,
       {kDefault, kSensor, "error 5: Access is denied"}},
      {"turned off", {std::nullopt, 0u}, {}, {}, 0, EventId::TurnedOff, {kSensor}},
  };
  for (const OutcomeCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHost host;
    host.policy = c.policy;
    host.file = c.file;
    host.runs.assign(c.runs.begin(), c.runs.end());
    VirtualClock clock;
    PlugInService service(host, clock, kDefault);
    service.Apply(kSensor);
    EXPECT_EQ(host.asked.size(), c.toolRuns);
    ASSERT_EQ(host.events.size(), 1u);
    EXPECT_EQ(host.events[0].id, c.event);
    EXPECT_EQ(host.events[0].strings, c.strings);
  }
}

TEST(PlugInServiceTest, AppliesThePolicysFileToThatOneSensor) {
  FakeHost host;
  host.policy.siteTemplate = "\\\\server\\kv7700\\site.txt";
  host.runs = {Answer(0, R"({"status": "unchanged"})")};
  VirtualClock clock;
  PlugInService(host, clock, kDefault).Apply(kSensor);
  ASSERT_EQ(host.asked.size(), 1u);
  EXPECT_THAT(host.asked[0],
              ElementsAre("--json", "apply", "--path", kSensor, "\\\\server\\kv7700\\site.txt"));
  // Options given to the service go before the command.
  PlugInService(host, clock, kDefault, {"--simulate=a.json"}).PresentSensors();
  EXPECT_THAT(host.asked[1], ElementsAre("--simulate=a.json", "--json", "list"));
}

// The interface is announced before the device list has it; a sensor busy
// past kv7700ctl's own wait gets one more try. Other failures are final.
TEST(PlugInServiceTest, RetriesOnlyWhatTimeMends) {
  struct Case {
    const char* err;
    std::size_t runs;
    std::uint64_t sleptMs;
  };
  const Case cases[] = {
      {"kv7700ctl: apply: no sensor is open at X: it was pulled out", 5, 4000},
      {"kv7700ctl: apply: sensor 0 is in use by kv7700-config.exe", 2, 0},
      {"kv7700ctl: apply: WriteDevCfg failed with status 00020102", 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.err);
    FakeHost host;
    host.runs = {{true, 1, "", c.err}};
    VirtualClock clock;
    PlugInService(host, clock, kDefault).Apply(kSensor);
    EXPECT_EQ(host.asked.size(), c.runs);
    EXPECT_EQ(clock.SleptMs(), c.sleptMs);
    EXPECT_EQ(host.events.back().id, EventId::Failed);
  }
  // A sensor that appears on the second look is applied.
  FakeHost host;
  host.runs = {{true, 1, "", "kv7700ctl: apply: no sensor is open at X"},
               Answer(0, R"({"status": "changed", "written": ["tsSonarParms"]})")};
  VirtualClock clock;
  PlugInService(host, clock, kDefault).Apply(kSensor);
  EXPECT_EQ(host.asked.size(), 2u);
  EXPECT_EQ(host.events.back().id, EventId::Applied);
}

// Arrivals of every keyboard reach the service; only a KV7700's are taken.
TEST(PlugInServiceTest, OnlyASensorsArrivalIsTaken) {
  const std::pair<const char*, bool> cases[] = {
      {kSensor, true},
      {"\\\\?\\hid#vid_04d8&pid_2bfa#1#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}", true},
      {"\\\\?\\HID#VID_046D&PID_C31C&MI_00#7&2&0&0000#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}",
       false},
      {"\\\\?\\HID#VID_18C8&PID_2BFB#1#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}", false},
      {"", false},
  };
  for (const auto& [path, sensor] : cases) EXPECT_EQ(IsSensorPath(path), sensor) << path;
}

TEST(PlugInServiceTest, ThePresentSensorsAreTheToolsList) {
  FakeHost host;
  host.runs = {
      {true, 1, R"({"sensors": [{"path": "A"}, {"path": "B", "error": "00020102"}]})", ""}};
  VirtualClock clock;
  PlugInService service(host, clock, kDefault);
  EXPECT_THAT(service.PresentSensors(), ElementsAre("A", "B"));
  EXPECT_THAT(host.asked[0], ElementsAre("--json", "list"));
  // No sensor: the tool fails without a document.
  host.runs = {{true, 1, "", "kv7700ctl: list: status 00010007: no sensor was found"}};
  EXPECT_TRUE(service.PresentSensors().empty());
  EXPECT_TRUE(host.events.empty());
}

TEST(PlugInServiceTest, TheStartNamesTheSettingsInForce) {
  FakeHost host;
  host.policy = {"%SystemDrive%-expanded\\site.txt", 0u};
  VirtualClock clock;
  PlugInService(host, clock, kDefault).LogStart();
  ASSERT_EQ(host.events.size(), 1u);
  EXPECT_EQ(host.events[0].id, EventId::Started);
  EXPECT_THAT(host.events[0].strings[1], HasSubstr("policy"));
  EXPECT_THAT(host.events[0].strings[2], HasSubstr("off"));
}

}  // namespace
}  // namespace kv::service
