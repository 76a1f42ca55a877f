// The Group Policy template sets exactly the key and values the service
// reads, and every text and presentation it names is in its en-US language
// file: a policy editor shows nothing of a template that misses one.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "site_policy.h"

namespace kv::service {
namespace {

std::string Read(const std::string& relative) {
  std::ifstream file(KV_SOURCE_DIR "/packaging/windows/policies/" + relative);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::set<std::string> All(const std::string& text, const std::string& pattern) {
  std::set<std::string> found;
  const std::regex expression(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), expression);
       it != std::sregex_iterator(); ++it) {
    found.insert((*it)[1].str());
  }
  return found;
}

TEST(PolicyTemplateTest, SetsTheKeyAndValuesTheServiceReads) {
  const std::string admx = Read("kv7700.admx");
  ASSERT_FALSE(admx.empty());
  EXPECT_EQ(All(admx, R"(key="([^"]*)\")"), std::set<std::string>{kPolicyKey});
  EXPECT_EQ(All(admx, R"(valueName="([^"]*)\")"),
            (std::set<std::string>{kSiteTemplateValue, kApplyOnPlugInValue}));
  // Machine policies only: the service reads HKLM.
  EXPECT_EQ(All(admx, R"(class="([^"]*)\")"), std::set<std::string>{"Machine"});
}

TEST(PolicyTemplateTest, EveryTextItNamesIsInTheLanguageFile) {
  const std::string admx = Read("kv7700.admx");
  const std::string adml = Read("en-US/kv7700.adml");
  ASSERT_FALSE(adml.empty());
  const std::set<std::string> strings = All(adml, R"(<string id="([^"]*)\")");
  for (const std::string& id : All(admx, R"(\$\(string\.([^)]*)\))")) {
    EXPECT_TRUE(strings.contains(id)) << id;
  }
  const std::set<std::string> presentations = All(adml, R"(<presentation id="([^"]*)\")");
  for (const std::string& id : All(admx, R"(\$\(presentation\.([^)]*)\))")) {
    EXPECT_TRUE(presentations.contains(id)) << id;
  }
  // Each box of a presentation belongs to an element of the policy.
  const std::set<std::string> elements = All(admx, R"(<text id="([^"]*)\")");
  for (const std::string& ref : All(adml, R"(refId="([^"]*)\")")) {
    EXPECT_TRUE(elements.contains(ref)) << ref;
  }
}

}  // namespace
}  // namespace kv::service
