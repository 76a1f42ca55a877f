#include "output.h"

#include <cstdio>

namespace kv::cli {

void Output::Line(const std::string& text) const {
  if (json_) return;
  std::fputs(text.c_str(), stdout);
  std::fputc('\n', stdout);
}

void Output::Document(const Json& document) const {
  const std::string text = document.dump(2);
  std::fputs(text.c_str(), stdout);
  std::fputc('\n', stdout);
}

void Output::Raw(const std::string& text) const {
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace kv::cli
