// What the tool runner does the same on every platform: the tool's
// environment, files and trace lines.
#include "tool_runner.h"

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

namespace kv::cli::testing {

std::vector<std::string> ToolEnvironment(const ToolOptions& options,
                                         const std::vector<std::string>& inherited) {
  std::map<std::string, std::string> variables;
  for (const std::string& text : inherited) {
    const std::size_t equals = text.find('=');
    // Windows keeps entries of its own that begin with '=' ("=C:=C:\\"); no test needs them.
    if (equals != std::string::npos && equals > 0)
      variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  // The tool's own variables come only from the test.
  for (auto it = variables.begin(); it != variables.end();) {
    it = it->first.starts_with("KV7700_") ? variables.erase(it) : std::next(it);
  }
  if (options.virtualTime) variables["KV7700_VIRTUAL_TIME"] = "1";
  for (const auto& [name, value] : options.env) variables[name] = value;
  std::vector<std::string> result;
  result.reserve(variables.size());
  for (const auto& [name, value] : variables) {
    std::string entry = name;
    entry += '=';
    entry += value;
    result.push_back(std::move(entry));
  }
  return result;
}

std::string ReadFile(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  std::ostringstream text;
  text << stream.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream stream(path, std::ios::binary);
  stream << text;
}

std::vector<std::string> TraceLines(const std::string& text) {
  static const std::regex kTraceLine("^(set|get)( [0-9a-f]{2}){9}( \\(failed\\))?$");
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    if (std::regex_match(line, kTraceLine)) lines.push_back(line);
  }
  return lines;
}

}  // namespace kv::cli::testing
