#include "hid/emulated/emulated_sensor.h"

#include <kv7700/clock.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace kv::emu {

namespace {

// The firmware's command bytes.
constexpr std::uint8_t kFirstCommand = 0x80;  // anything below is data
constexpr std::uint8_t kReadSonar = 0x80;     // 0x80..0x85: the six blocks
constexpr std::uint8_t kReadLastBlock = 0x85;
constexpr std::uint8_t kReadVersion = 0x8A;
constexpr std::uint8_t kReadRange = 0x8F;
constexpr std::uint8_t kCommit = 0x90;
constexpr std::uint8_t kLoadFactory = 0xA0;
constexpr std::uint8_t kResumeKeys = 0xB0;
constexpr std::uint8_t kHaltKeys = 0xB1;
constexpr std::uint8_t kLoadUser = 0xD0;
constexpr std::uint8_t kSaveUser = 0xE0;

// Where the firmware finds the distance window in the sonar block.
constexpr std::size_t kSonarBlock = 0;
constexpr std::size_t kMinTicksByte = 3;
constexpr std::size_t kMaxTicksByte = 4;

constexpr std::uint8_t kInRangeBit = 0x01;
constexpr std::uint8_t kExtraStatusBits = 0x06;
constexpr std::uint8_t kBlockMaskBits = 0x3F;

std::uint64_t Now() {
  return GetClock().NowMs();
}

// Report id 0, and no stray bytes behind a command (the commit's mask is its
// one argument); data reports use all eight bytes.
bool WellFormed(const Report& report) {
  if (report[0] != 0) return false;
  if (report[1] < kFirstCommand) return true;
  const std::size_t firstPadding = report[1] == kCommit ? 3 : 2;
  return std::all_of(report.begin() + static_cast<std::ptrdiff_t>(firstPadding), report.end(),
                     [](std::uint8_t byte) { return byte == 0; });
}

}  // namespace

EmulatedSensor::EmulatedSensor(std::uint16_t firmwareVersion)
    : working_(FactoryMemory()),
      user_(FactoryMemory()),
      factory_(FactoryMemory()),
      firmware_(firmwareVersion),
      targetSetAtMs_(Now()) {}

std::uint16_t EmulatedSensor::FirmwareVersion() const {
  std::lock_guard lock(mutex_);
  return firmware_;
}

void EmulatedSensor::SetFirmwareVersion(std::uint16_t version) {
  std::lock_guard lock(mutex_);
  firmware_ = version;
}

void EmulatedSensor::SetDeviceWord(std::uint16_t word) {
  std::lock_guard lock(mutex_);
  deviceWord_ = word;
}

void EmulatedSensor::SetVersionNibbles(const std::array<std::uint8_t, 4>& nibbles) {
  std::lock_guard lock(mutex_);
  versionNibbles_ = nibbles;
}

EmulatedSensor::Memories EmulatedSensor::CopyMemories() const {
  std::lock_guard lock(mutex_);
  return Memories{working_, user_, factory_};
}

void EmulatedSensor::SetMemories(const Memories& memories) {
  std::lock_guard lock(mutex_);
  working_ = memories.working;
  user_ = memories.user;
  factory_ = memories.factory;
}

// --- Target ---

void EmulatedSensor::SetTarget(double inches, double inchesPerSecond) {
  std::lock_guard lock(mutex_);
  targetInches_ = std::max(0.0, inches);
  targetSpeed_ = inchesPerSecond;
  targetSetAtMs_ = Now();
}

double EmulatedSensor::TargetInches() {
  std::lock_guard lock(mutex_);
  return TargetInchesLocked();
}

double EmulatedSensor::TargetInchesLocked() const {
  const std::uint64_t now = Now();
  const std::uint64_t elapsedMs = now > targetSetAtMs_ ? now - targetSetAtMs_ : 0;
  return std::max(0.0, targetInches_ + targetSpeed_ * static_cast<double>(elapsedMs) / 1000.0);
}

void EmulatedSensor::SetRangeStatusBits(std::uint8_t bits) {
  std::lock_guard lock(mutex_);
  statusBits_ = bits & kExtraStatusBits;
}

bool EmulatedSensor::KeySendsHalted() const {
  std::lock_guard lock(mutex_);
  return halted_;
}

// --- Faults ---

void EmulatedSensor::FailAt(Direction direction, int n, Fault fault) {
  if (n < 1) return;
  std::lock_guard lock(mutex_);
  faults_.push_back(direction == Direction::Set ? PlannedFault{n, -1, -1, fault}
                                                : PlannedFault{-1, n, -1, fault});
}

void EmulatedSensor::FailAtExchange(int n, Fault fault) {
  if (n < 1) return;
  std::lock_guard lock(mutex_);
  faults_.push_back(PlannedFault{-1, -1, n, fault});
}

void EmulatedSensor::Vanish() {
  std::lock_guard lock(mutex_);
  vanished_ = true;
}

bool EmulatedSensor::Vanished() const {
  std::lock_guard lock(mutex_);
  return vanished_;
}

bool EmulatedSensor::InjectFault(Direction direction) {
  bool fails = false;
  for (auto it = faults_.begin(); it != faults_.end();) {
    int& counter = it->anyLeft >= 0              ? it->anyLeft
                   : direction == Direction::Set ? it->setsLeft
                                                 : it->getsLeft;
    if (counter > 0 && --counter == 0) {
      if (it->fault == Fault::Forget) {
        forgetsWrites_ = true;
      } else {
        fails = true;
      }
      if (it->fault == Fault::Vanish) vanished_ = true;
      it = faults_.erase(it);
    } else {
      ++it;
    }
  }
  return fails;
}

// --- Trace ---

std::vector<TraceEntry> EmulatedSensor::TraceCopy() const {
  std::lock_guard lock(mutex_);
  return trace_;
}

void EmulatedSensor::ClearTrace() {
  std::lock_guard lock(mutex_);
  trace_.clear();
}

void EmulatedSensor::SetTraceLimit(std::size_t entries) {
  std::lock_guard lock(mutex_);
  traceLimit_ = entries;
  if (traceLimit_ != 0 && trace_.size() > traceLimit_) {
    trace_.erase(trace_.begin(), trace_.end() - static_cast<std::ptrdiff_t>(traceLimit_));
  }
}

void EmulatedSensor::SetTraceObserver(std::function<void(const TraceEntry&)> observer) {
  std::lock_guard lock(mutex_);
  observer_ = std::move(observer);
}

TraceEntry EmulatedSensor::Record(Direction direction, const Report& bytes, bool ok) {
  TraceEntry entry{direction, bytes, ok, Now()};
  if (traceLimit_ != 0 && trace_.size() >= traceLimit_) trace_.erase(trace_.begin());
  trace_.push_back(entry);
  return entry;
}

void EmulatedSensor::Notify(const TraceEntry& entry) {
  std::function<void(const TraceEntry&)> observer;
  {
    std::lock_guard lock(mutex_);
    observer = observer_;
  }
  if (observer) observer(entry);
}

// --- The USB side ---

bool EmulatedSensor::OnSetFeature(const Report& report) {
  TraceEntry entry;
  {
    std::lock_guard lock(mutex_);
    // The sensor has no numbered reports and no command arguments but the
    // commit mask: anything else stalls.
    const bool ok = !vanished_ && !InjectFault(Direction::Set) && WellFormed(report);
    // Still rewriting its memory: the report is taken and goes unheard.
    if (ok && Now() >= busyUntilMs_) {
      if (report[1] >= kFirstCommand) {
        RunCommand(report[1], report);
      } else {
        StageData(report);
      }
    }
    entry = Record(Direction::Set, report, ok);
  }
  Notify(entry);
  return entry.ok;
}

bool EmulatedSensor::OnGetFeature(Report* report) {
  TraceEntry entry;
  {
    std::lock_guard lock(mutex_);
    const bool ok = !vanished_ && !InjectFault(Direction::Get) && (*report)[0] == 0;
    Report answered{};
    if (ok) {
      DeliverReadyAnswer();
      answered = lastAnswer_;
      *report = answered;
    }
    entry = Record(Direction::Get, answered, ok);
  }
  Notify(entry);
  return entry.ok;
}

// --- The firmware ---

void EmulatedSensor::RunCommand(std::uint8_t command, const Report& report) {
  DeliverReadyAnswer();
  lastCommand_ = -1;
  if (command >= kReadSonar && command <= kReadLastBlock) {
    PrepareAnswer(command);
    lastCommand_ = command - kReadSonar;
    lastCommandAtMs_ = Now();
    return;
  }
  switch (command) {
    case kReadVersion:
    case kReadRange:
      PrepareAnswer(command);
      break;
    case kCommit:
      Commit(report[2]);
      break;
    case kLoadFactory:
      working_ = factory_;
      busyUntilMs_ = Now() + kMemoryBusyMs;
      break;
    case kLoadUser:
      working_ = user_;
      busyUntilMs_ = Now() + kMemoryBusyMs;
      break;
    case kSaveUser:
      user_ = working_;
      busyUntilMs_ = Now() + kMemoryBusyMs;
      break;
    case kHaltKeys:
      halted_ = true;
      break;
    case kResumeKeys:
      halted_ = false;
      break;
    default:
      break;  // unknown commands are ignored
  }
}

void EmulatedSensor::PrepareAnswer(std::uint8_t command) {
  Report answer{};
  if (command >= kReadSonar && command <= kReadLastBlock) {
    const Block& block = working_[command - kReadSonar];
    std::copy(block.begin(), block.end(), answer.begin() + 1);
  } else if (command == kReadVersion) {
    answer[1] = static_cast<std::uint8_t>(deviceWord_ & 0xFF);
    answer[2] = static_cast<std::uint8_t>(deviceWord_ >> 8);
    answer[3] = static_cast<std::uint8_t>(firmware_ & 0xFF);
    answer[4] = static_cast<std::uint8_t>(firmware_ >> 8);
    for (std::size_t i = 0; i < versionNibbles_.size(); ++i) {
      answer[5 + i] = versionNibbles_[i] & 0x0F;
    }
  } else if (command == kReadRange) {
    answer = RangeAnswer();
  }
  answer_ = answer;
  answerPending_ = true;
  answerReadyAtMs_ = Now() + kAnswerDelayMs;
}

void EmulatedSensor::DeliverReadyAnswer() {
  if (answerPending_ && Now() >= answerReadyAtMs_) {
    lastAnswer_ = answer_;
    answerPending_ = false;
  }
}

Report EmulatedSensor::RangeAnswer() {
  const double ticks = std::floor(TargetInchesLocked() * kTicksPerInch + 0.5);
  const Block& sonar = working_[kSonarBlock];
  // Compared before clipping, so a target beyond the scale is never in range.
  const bool inRange = ticks >= sonar[kMinTicksByte] && ticks <= sonar[kMaxTicksByte];
  Report answer{};
  answer[1] = static_cast<std::uint8_t>((inRange ? kInRangeBit : 0) | statusBits_);
  answer[2] = static_cast<std::uint8_t>(std::min(ticks, 255.0));
  return answer;
}

void EmulatedSensor::StageData(const Report& report) {
  const int block = lastCommand_;
  lastCommand_ = -1;
  // Still busy with the request, or no block named: the data is lost.
  if (block < 0 || Now() < lastCommandAtMs_ + kAnswerDelayMs) return;
  std::copy(report.begin() + 1, report.end(), staged_[block].begin());
  stagedMask_ |= static_cast<std::uint8_t>(1u << block);
}

void EmulatedSensor::Commit(std::uint8_t mask) {
  const std::uint8_t commit = forgetsWrites_ ? 0 : mask & stagedMask_ & kBlockMaskBits;
  for (std::size_t n = 0; n < working_.size(); ++n) {
    if (commit & (1u << n)) working_[n] = staged_[n];
  }
  stagedMask_ = 0;
}

}  // namespace kv::emu
