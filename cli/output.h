// Standard output: text for people, or with --json one JSON document.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace kv::cli {

// JSON documents keep their keys in the order they were added.
using Json = nlohmann::ordered_json;

class Output {
 public:
  explicit Output(bool json) : json_(json) {}
  bool IsJson() const { return json_; }
  // One line of text (ignored in JSON mode, where Document speaks).
  void Line(const std::string& text) const;
  // The JSON document of the command.
  void Document(const Json& document) const;
  // Writes raw text and flushes, for output that streams (watch, monitor).
  void Raw(const std::string& text) const;
  // True once standard output is gone (a pipe whose reader quit): the
  // commands that stream stop then.
  bool Closed() const { return closed_; }

 private:
  void Write(const std::string& text) const;

  bool json_;
  mutable bool closed_ = false;
};

}  // namespace kv::cli
