#include "dialog_host.h"

#include <cstddef>

namespace kv::ui {

void DialogHost::SetNumber(int id, std::uint32_t value) {
  SetText(id, std::to_string(value));
}

std::uint32_t DialogHost::GetNumber(int id) const {
  const std::string text = GetText(id);
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
    ++i;
  }
  if (i == text.size()) {
    return 0;
  }
  std::uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') {
      return 0;
    }
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > 0xFFFFFFFFull) {
      return 0;
    }
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace kv::ui
