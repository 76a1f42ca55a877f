// RunTool on Windows: CreateProcessA with pipes for standard output and
// error, each read by a thread of its own so that neither can fill up and
// stall the tool. The tool writes text mode (CRLF); the runner hands the
// tests LF, as on every other platform.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>

#include "tool_runner.h"

namespace kv::cli::testing {

namespace {

std::vector<std::string> InheritedEnvironment() {
  std::vector<std::string> entries;
  char* block = ::GetEnvironmentStringsA();
  if (!block) return entries;
  for (const char* entry = block; *entry; entry += std::strlen(entry) + 1) {
    entries.emplace_back(entry);
  }
  ::FreeEnvironmentStringsA(block);
  return entries;
}

// One argument as the C runtime's command-line parser reads it back.
std::string Quoted(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"')
      quoted.append(backslashes * 2 + 1, '\\');
    else
      quoted.append(backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

std::string WithoutCarriageReturns(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    result += text[i];
  }
  return result;
}

void Drain(HANDLE pipe, std::string* sink) {
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0)
    sink->append(buffer, got);
  ::CloseHandle(pipe);
}

struct Pipe {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
};

Pipe MakePipe() {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  Pipe pipe;
  if (!::CreatePipe(&pipe.read, &pipe.write, &inherit, 0)) throw std::runtime_error("no pipe");
  // Only the child's end is inherited.
  ::SetHandleInformation(pipe.read, HANDLE_FLAG_INHERIT, 0);
  return pipe;
}

}  // namespace

ToolResult RunTool(const std::vector<std::string>& args, const ToolOptions& options) {
  std::string commandLine = Quoted(KV7700CTL_PATH);
  for (const std::string& arg : args) commandLine += " " + Quoted(arg);
  std::string environment;
  for (const std::string& entry : ToolEnvironment(options, InheritedEnvironment())) {
    environment += entry;
    environment += '\0';
  }
  environment += '\0';

  Pipe out = MakePipe();
  Pipe err = MakePipe();
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE input = ::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                               OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = out.write;
  startup.hStdError = err.write;
  PROCESS_INFORMATION process = {};
  // Under Wine on a loaded machine a start now and then fails for want of
  // resources; a few more tries tell that from a tool that cannot start.
  BOOL started = FALSE;
  DWORD startError = 0;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    if (attempt > 0) ::Sleep(200);
    started = ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                               CREATE_NO_WINDOW, environment.data(), nullptr, &startup, &process);
    if (!started) startError = ::GetLastError();
  }
  ::CloseHandle(out.write);
  ::CloseHandle(err.write);
  if (input != INVALID_HANDLE_VALUE) ::CloseHandle(input);
  if (!started) {
    ::CloseHandle(out.read);
    ::CloseHandle(err.read);
    throw std::runtime_error("cannot start " + commandLine + " (system error " +
                             std::to_string(startError) + ")");
  }

  ToolResult result;
  std::string rawOut;
  std::string rawErr;
  if (options.stdoutClosed) ::CloseHandle(out.read);
  std::thread outReader;
  if (!options.stdoutClosed) outReader = std::thread(Drain, out.read, &rawOut);
  Drain(err.read, &rawErr);
  if (outReader.joinable()) outReader.join();
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  result.exitCode = static_cast<int>(code);
  result.out = WithoutCarriageReturns(rawOut);
  result.err = WithoutCarriageReturns(rawErr);
  return result;
}

bool TerminalAvailable() {
  return false;
}

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate =
        base / ("kv7700ctl-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(counter++));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = candidate.generic_string();
      return;
    }
  }
  throw std::runtime_error("no temporary folder");
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace kv::cli::testing
