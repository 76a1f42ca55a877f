#include "command_line_quote.h"

namespace kv::service {

namespace {

// Backslashes are literal unless they come before a quote; there each one
// is doubled, and the quote itself is escaped.
std::string Quoted(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      quoted.append(backslashes * 2 + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    backslashes = 0;
    quoted += c;
  }
  // Before the closing quote every backslash is doubled.
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

}  // namespace

std::string QuotedCommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) line += (line.empty() ? "" : " ") + Quoted(arg);
  return line;
}

}  // namespace kv::service
