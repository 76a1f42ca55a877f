#include "quit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>

namespace kv::ui::qt {

namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};

// The handler may only write to the pipe: the event loop does the rest.
int g_writeEnd = -1;
struct sigaction g_previous[kSignals.size()];

void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a request; nothing is lost.
  [[maybe_unused]] const ssize_t written = ::write(g_writeEnd, &byte, 1);
  errno = saved;
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> requested) : requested_(std::move(requested)) {
  if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    return;  // no pipe, no handlers: the signals end the program as before
  }
  g_writeEnd = pipe_[1];
  notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Drain(); });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    sigaction(kSignals[i], &action, &g_previous[i]);
  }
}

QuitSignals::~QuitSignals() {
  if (pipe_[0] < 0) {
    return;
  }
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    sigaction(kSignals[i], &g_previous[i], nullptr);
  }
  g_writeEnd = -1;
  notifier_.reset();
  ::close(pipe_[0]);
  ::close(pipe_[1]);
}

void QuitSignals::Drain() {
  std::array<char, 16> bytes{};
  ssize_t count = 0;
  while ((count = ::read(pipe_[0], bytes.data(), bytes.size())) > 0) {
    for (ssize_t i = 0; i < count; ++i) {
      if (requested_) {
        requested_();
      }
    }
  }
}

}  // namespace kv::ui::qt
