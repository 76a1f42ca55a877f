// The plug-in service's smaller parts: where the site file comes from, the
// queue that takes arrivals one at a time, the command line it starts
// kv7700ctl with, and its event messages against the message table.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <map>
#include <regex>
#include <sstream>

#include "arrival_queue.h"
#include "command_line_quote.h"
#include "event_ids.h"
#include "site_policy.h"

namespace kv::service {
namespace {

using ::testing::ElementsAre;

TEST(SitePolicyTest, ThePolicyOverridesTheDefaults) {
  const std::string fallback = "C:\\ProgramData\\KV7700\\site.txt";
  struct Case {
    PolicyValues policy;
    std::string file;
    bool fromPolicy;
    bool enabled;
  };
  const Case cases[] = {
      {{}, fallback, false, true},
      {{"\\\\srv\\kv7700\\site.txt", std::nullopt}, "\\\\srv\\kv7700\\site.txt", true, true},
      {{"  \"D:\\kv 7700\\site.txt\" ", std::nullopt}, "D:\\kv 7700\\site.txt", true, true},
      {{"   ", std::nullopt}, fallback, false, true},
      {{std::nullopt, 0u}, fallback, false, false},
      {{std::nullopt, 1u}, fallback, false, true},
  };
  for (const Case& c : cases) {
    const SiteSettings settings = ResolveSettings(c.policy, fallback);
    EXPECT_EQ(settings.file, c.file);
    EXPECT_EQ(settings.fromPolicy, c.fromPolicy) << c.file;
    EXPECT_EQ(settings.enabled, c.enabled) << c.file;
  }
}

// CommandLineToArgvW's rules: backslashes are literal unless a quote
// follows them.
TEST(CommandLineQuoteTest, EachArgumentComesBackWhole) {
  struct Case {
    std::vector<std::string> args;
    std::string line;
  };
  const Case cases[] = {
      {{"kv7700ctl.exe", "--json", "list"}, "kv7700ctl.exe --json list"},
      {{"a", ""}, "a \"\""},
      {{"C:\\Program Files\\site.txt"}, "\"C:\\Program Files\\site.txt\""},
      {{"\\\\srv\\share dir\\"}, "\"\\\\srv\\share dir\\\\\""},
      {{"say \"hi\""}, "\"say \\\"hi\\\"\""},
      {{"a\\\"b"}, "\"a\\\\\\\"b\""},
      {{"\\\\?\\HID#VID_18C8&PID_2BFA#1"}, "\\\\?\\HID#VID_18C8&PID_2BFA#1"},
  };
  for (const Case& c : cases) EXPECT_EQ(QuotedCommandLine(c.args), c.line);
}

TEST(ArrivalQueueTest, OneAtATimeInOrderAndEachPathOnceWhileItWaits) {
  std::promise<void> firstStarted;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::promise<void> finished;
  std::vector<std::string> done;  // written by the worker alone until "end"
  ArrivalQueue queue([&](const std::string& path) {
    if (path == "A" && done.empty()) {
      firstStarted.set_value();
      released.wait();
    }
    done.push_back(path);
    if (path == "end") finished.set_value();
  });
  queue.Post("A");
  firstStarted.get_future().wait();  // A is under way; the rest wait
  queue.Post("B");
  queue.Post("C");
  queue.Post("B");  // waiting already
  queue.Post("A");  // under way, not waiting: queued anew
  queue.Post("end");
  release.set_value();
  finished.get_future().wait();
  EXPECT_THAT(done, ElementsAre("A", "B", "C", "A", "end"));
}

TEST(ArrivalQueueTest, StopFinishesTheArrivalUnderWayAndDropsTheRest) {
  std::promise<void> started;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::vector<std::string> done;
  ArrivalQueue queue([&](const std::string& path) {
    if (path == "A") {
      started.set_value();
      released.wait();
    }
    done.push_back(path);
  });
  queue.Post("A");
  started.get_future().wait();
  queue.Post("B");
  queue.RequestStop();  // as the service's stop control does
  queue.Post("C");      // after the stop: ignored
  release.set_value();
  queue.Stop();  // returns once A is done
  EXPECT_THAT(done, ElementsAre("A"));
}

// Every event the service reports has its message, with the same severity
// and as many insertion strings as the service gives it.
TEST(EventMessagesTest, TheMessageTableMatchesTheEvents) {
  const std::string path = KV_SOURCE_DIR "/service/windows/messages.mc";
  std::ifstream file(path);
  ASSERT_TRUE(file) << path;
  std::stringstream text;
  text << file.rdbuf();
  struct Message {
    std::string severity;
    int strings = 0;
  };
  std::map<int, Message> messages;
  const std::regex block(
      R"(MessageId=(\d+)\s+Severity=(\w+)[\s\S]*?Language=English\n([\s\S]*?)\n\.\n)");
  const std::string all = text.str();
  for (auto it = std::sregex_iterator(all.begin(), all.end(), block); it != std::sregex_iterator();
       ++it) {
    Message message{(*it)[2].str(), 0};
    const std::string body = (*it)[3].str();
    const std::regex insertion(R"(%(\d+))");
    for (auto at = std::sregex_iterator(body.begin(), body.end(), insertion);
         at != std::sregex_iterator(); ++at) {
      message.strings = std::max(message.strings, std::stoi((*at)[1].str()));
    }
    messages[std::stoi((*it)[1].str())] = message;
  }
  const std::map<Severity, std::string> names = {{Severity::Informational, "Informational"},
                                                 {Severity::Warning, "Warning"},
                                                 {Severity::Error, "Error"}};
  EXPECT_EQ(messages.size(), AllEventKinds().size());
  for (const EventKind& kind : AllEventKinds()) {
    const int id = static_cast<int>(kind.id);
    ASSERT_TRUE(messages.contains(id)) << id;
    EXPECT_EQ(messages[id].severity, names.at(kind.severity)) << id;
    EXPECT_EQ(messages[id].strings, kind.strings) << id;
  }
}

}  // namespace
}  // namespace kv::service
