// The virtual sensor's count of protocol violations: none for one host's
// conversations, each overtaken request and early fetch when two interleave.
#include "protocol_watch.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace kv::uhid {
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
            "protocol violations: 0 (0 requests overtaken, 0 answers fetched too early)");

  Send(watch, 0x80, 3000);  // one host's read...
  Send(watch, 0x8F, 3100);  // ...overtaken by the other's range request
  watch.Fetched(3250);      // the first fetches the range answer, too early
  watch.Fetched(3350);      // the second fetches with nothing asked
  EXPECT_EQ(watch.Overtaken(), 1);
  EXPECT_EQ(watch.FetchedTooEarly(), 2);
  EXPECT_EQ(watch.Summary(),
            "protocol violations: 3 (1 request overtaken, 2 answers fetched too early)");
}

}  // namespace
}  // namespace kv::uhid
