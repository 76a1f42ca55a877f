// Runs the built kv7700ctl as a user would: a separate process with its own
// arguments and environment, its exit status, standard output and standard
// error captured. Emulated sensors run on virtual time unless a test says
// otherwise, so no run waits for real.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace kv::cli::testing {

struct ToolResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

struct ToolOptions {
  std::map<std::string, std::string> env;  // added to (or replacing) the inherited ones
  bool virtualTime = true;                 // KV7700_VIRTUAL_TIME=1
  bool stderrOnTerminal = false;           // standard error is a pseudo-terminal
  bool stdoutClosed = false;               // nobody reads standard output
};

ToolResult RunTool(const std::vector<std::string>& args, const ToolOptions& options = {});

// Whether RunTool can give the tool a terminal as standard error (a
// pseudo-terminal on POSIX; Windows has no such thing for a child process).
bool TerminalAvailable();

// The tool's environment: `inherited` ("NAME=value" each) without the tool's
// own KV7700_ variables, then the test's.
std::vector<std::string> ToolEnvironment(const ToolOptions& options,
                                         const std::vector<std::string>& inherited);

// A fresh folder under the system's temporary folder, removed with its files
// when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string Path(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
// Lines of `text` that are trace lines ("set 00 80 ..."), in order.
std::vector<std::string> TraceLines(const std::string& text);

}  // namespace kv::cli::testing
