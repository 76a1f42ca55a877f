#include "protocol_watch.h"

namespace kv::sensor_model {

namespace {

// Byte 1 of a report: 0x80 and above is a command, below a data report.
constexpr std::uint8_t kFirstCommand = 0x80;
constexpr std::uint8_t kLastBlock = 0x85;
constexpr std::uint8_t kVersionRequest = 0x8A;
constexpr std::uint8_t kRangeRequest = 0x8F;
constexpr std::uint64_t kAnswerMs = 250;
constexpr std::uint64_t kMemoryCommandMs = 2000;

// Factory reset, restore and save of the user defaults.
bool IsMemoryCommand(std::uint8_t command) {
  return command == 0xA0 || command == 0xD0 || command == 0xE0;
}

bool PreparesAnswer(std::uint8_t command) {
  return (command >= kFirstCommand && command <= kLastBlock) || command == kVersionRequest ||
         command == kRangeRequest;
}

}  // namespace

void ProtocolWatch::Sent(const std::uint8_t* report, std::size_t size, std::uint64_t nowMs) {
  if (size < 2) return;
  const std::uint8_t command = report[1];
  if (nowMs < busyUntilMs_) ++busy_;
  if (IsMemoryCommand(command)) busyUntilMs_ = nowMs + kMemoryCommandMs;
  if (command < kFirstCommand) {
    awaiting_ = false;  // the data report a block request named
    return;
  }
  if (awaiting_) ++overtaken_;
  awaiting_ = PreparesAnswer(command);
  readyAtMs_ = nowMs + kAnswerMs;
}

void ProtocolWatch::Fetched(std::uint64_t nowMs) {
  if (!awaiting_ || nowMs < readyAtMs_) ++early_;
  awaiting_ = false;
}

std::string ProtocolWatch::Summary() const {
  const auto count = [](int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  return "protocol violations: " + std::to_string(overtaken_ + early_ + busy_) + " (" +
         count(overtaken_, "request overtaken", "requests overtaken") + ", " +
         count(early_, "answer fetched too early", "answers fetched too early") + ", " +
         count(busy_, "request while busy", "requests while busy") + ")";
}

}  // namespace kv::sensor_model
