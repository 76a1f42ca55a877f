#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

#include "console.h"

namespace kv::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
struct sigaction g_previousInt;
struct sigaction g_previousTerm;

void OnSignal(int) {
  g_interrupted = 1;
}

}  // namespace

void PrepareConsole() {
  std::signal(SIGPIPE, SIG_IGN);
}

bool IsTerminal(std::FILE* stream) {
  return isatty(fileno(stream)) == 1;
}

InterruptGuard::InterruptGuard() {
  g_interrupted = 0;
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &g_previousInt);
  sigaction(SIGTERM, &action, &g_previousTerm);
}

InterruptGuard::~InterruptGuard() {
  sigaction(SIGINT, &g_previousInt, nullptr);
  sigaction(SIGTERM, &g_previousTerm, nullptr);
}

bool Interrupted() {
  return g_interrupted != 0;
}

std::string ErrorText(int error) {
  return std::strerror(error);
}

bool WaitReady(hid::WaitObject object, int timeoutMs) {
  // A signal ends poll at once (EINTR), which counts as not ready.
  pollfd watch = {object, POLLIN, 0};
  return poll(&watch, 1, timeoutMs) > 0 && (watch.revents & POLLIN);
}

}  // namespace kv::cli
