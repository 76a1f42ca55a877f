// RunTool on POSIX: fork and exec, pipes (or a pseudo-terminal) for the
// output, and a temporary folder from mkdtemp.
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "tool_runner.h"

namespace kv::cli::testing {

namespace {

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  pointers.reserve(strings.size() + 1);
  for (std::string& text : strings) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Reads both descriptors until both are closed (a terminal reports EIO once
// its other side is gone).
void Drain(int outFd, int errFd, std::string* out, std::string* err) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {out, err};
  int open = outFd < 0 ? 1 : 2;
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("poll failed");
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
}

}  // namespace

ToolResult RunTool(const std::vector<std::string>& args, const ToolOptions& options) {
  std::vector<std::string> argv = {KV7700CTL_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> inherited;
  for (char** entry = environ; *entry; ++entry) inherited.emplace_back(*entry);
  std::vector<std::string> env = ToolEnvironment(options, inherited);
  std::vector<char*> argvPointers = Pointers(argv);
  std::vector<char*> envPointers = Pointers(env);

  int outPipe[2];
  int errPipe[2];
  if (pipe(outPipe) != 0) throw std::runtime_error("pipe failed");
  int errChild = -1;
  int errParent = -1;
  if (options.stderrOnTerminal) {
    errParent = posix_openpt(O_RDWR | O_NOCTTY);
    if (errParent < 0 || grantpt(errParent) != 0 || unlockpt(errParent) != 0) {
      throw std::runtime_error("no pseudo-terminal");
    }
    errChild = open(ptsname(errParent), O_RDWR | O_NOCTTY);
  } else {
    if (pipe(errPipe) != 0) throw std::runtime_error("pipe failed");
    errParent = errPipe[0];
    errChild = errPipe[1];
  }

  const pid_t pid = fork();
  if (pid == 0) {
    dup2(outPipe[1], STDOUT_FILENO);
    dup2(errChild, STDERR_FILENO);
    close(outPipe[0]);
    close(outPipe[1]);
    close(errParent);
    close(errChild);
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, STDIN_FILENO);
    execve(argvPointers[0], argvPointers.data(), envPointers.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errChild);
  if (options.stdoutClosed) {
    close(outPipe[0]);
    outPipe[0] = -1;
  }
  ToolResult result;
  Drain(outPipe[0], errParent, &result.out, &result.err);
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

bool TerminalAvailable() {
  return true;
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kv7700ctl-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace kv::cli::testing
