#include "event_gate.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kv::ui {
namespace {

using ::testing::ElementsAre;

TEST(EventGateTest, EventsRunAtOnceWhenIdleAndWaitForTheOutermostHandler) {
  EventGate gate;
  std::vector<std::string> log;
  gate.Deliver([&] { log.emplace_back("idle"); });
  {
    EventGate::Scope handler(gate);
    {
      EventGate::Scope libraryCall(gate);
      gate.Deliver([&] { log.emplace_back("first"); });
    }
    gate.Deliver([&] {
      log.emplace_back("second");
      // An event raised while held events run waits its turn too.
      gate.Deliver([&] { log.emplace_back("third"); });
      EXPECT_TRUE(gate.Busy());
    });
    EXPECT_EQ(gate.HeldCount(), 2u);
    log.emplace_back("handler ends");
  }
  EXPECT_THAT(log, ElementsAre("idle", "handler ends", "first", "second", "third"));
  EXPECT_FALSE(gate.Busy());
  EXPECT_EQ(gate.HeldCount(), 0u);
}

}  // namespace
}  // namespace kv::ui
