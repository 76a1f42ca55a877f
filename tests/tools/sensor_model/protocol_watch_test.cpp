// The virtual sensor's count of protocol violations: none for one host's
// conversations, each overtaken request, early fetch and request during a
// memory command's work when two interleave.
#include "protocol_watch.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace kv::sensor_model {
namespace {

void Send(ProtocolWatch& watch, std::uint8_t command, std::uint64_t atMs) {
  const std::array<std::uint8_t, 9> report = {0, command};
  watch.Sent(report.data(), report.size(), atMs);
}

TEST(ProtocolWatchTest, OneHostIsCleanAndTwoInterleavedAreCounted) {
  ProtocolWatch watch;
  Send(watch, 0x80, 0);  // a read
  watch.Fetched(250);
  Send(watch, 0x81, 300);  // a write: the data report follows its request
  Send(watch, 0x12, 550);
  Send(watch, 0x90, 560);  // the commit, then a memory command
  Send(watch, 0xE0, 600);
  Send(watch, 0x8F, 2600);  // a range reading
  watch.Fetched(2850);
  EXPECT_EQ(watch.Summary(),
            "protocol violations: 0 (0 requests overtaken, 0 answers fetched too early, 0 "
            "requests while busy)");

  Send(watch, 0x80, 3000);  // one host's read...
  Send(watch, 0x8F, 3100);  // ...overtaken by the other's range request
  watch.Fetched(3250);      // the first fetches the range answer, too early
  watch.Fetched(3350);      // the second fetches with nothing asked
  EXPECT_EQ(watch.Overtaken(), 1);
  EXPECT_EQ(watch.FetchedTooEarly(), 2);
  EXPECT_EQ(watch.Summary(),
            "protocol violations: 3 (1 request overtaken, 2 answers fetched too early, 0 "
            "requests while busy)");
}

TEST(ProtocolWatchTest, ARequestDuringAMemoryCommandsWorkIsCounted) {
  for (const std::uint8_t command : {0xA0, 0xD0, 0xE0}) {
    ProtocolWatch watch;
    Send(watch, command, 0);
    Send(watch, 0x80, 1999);  // another host's read, a millisecond early
    watch.Fetched(2249);
    Send(watch, 0x80, 2300);  // after the work: taken
    watch.Fetched(2550);
    EXPECT_EQ(watch.WhileBusy(), 1) << int{command};
    EXPECT_EQ(watch.Overtaken() + watch.FetchedTooEarly(), 0) << int{command};
  }
}

}  // namespace
}  // namespace kv::sensor_model
