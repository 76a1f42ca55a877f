#include "output.h"

#include <cstdio>

namespace kv::cli {

void Output::Line(const std::string& text) const {
  if (!json_) Write(text + "\n");
}

void Output::Document(const Json& document) const {
  Write(document.dump(2) + "\n");
}

void Output::Raw(const std::string& text) const {
  Write(text);
}

void Output::Write(const std::string& text) const {
  if (closed_) return;
  if (std::fputs(text.c_str(), stdout) == EOF || std::fflush(stdout) == EOF) closed_ = true;
}

}  // namespace kv::cli
