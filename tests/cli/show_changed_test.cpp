// show --changed lists only what differs from the factory defaults, and
// --version names the tool's version.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tool_runner.h"

namespace kv::cli::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST(ShowChangedTest, ListsOnlyFieldsThatDifferFromTheFactory) {
  TempDir dir;
  const std::string sensor = "--simulate=" + dir.Path("a.json");
  ToolResult result = RunTool({sensor, "show", "--changed"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(result.out, HasSubstr("no field differs"));

  ASSERT_EQ(RunTool({sensor, "set", "PingRateS=300", "Key1CodeWA=4"}).exitCode, 0);
  result = RunTool({sensor, "show", "--changed"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(result.out, HasSubstr("PingRateS         200 -> 300"));
  EXPECT_THAT(result.out, HasSubstr("Key1CodeWA         76 -> 4"));
  EXPECT_THAT(result.out, Not(HasSubstr("MaxDistS")));

  result = RunTool({sensor, "--json", "show", "--changed"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const nlohmann::json changes = nlohmann::json::parse(result.out)["changed_from_factory"];
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0]["field"], "PingRateS");
  EXPECT_EQ(changes[0]["old"], 200);
  EXPECT_EQ(changes[0]["new"], 300);
  EXPECT_EQ(changes[1]["field"], "Key1CodeWA");
}

TEST(VersionTest, NamesTheToolAndItsVersionWithoutASensor) {
  const ToolResult result = RunTool({"--version"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "kv7700ctl " KV_APP_VERSION "\n");
}

}  // namespace
}  // namespace kv::cli::testing
