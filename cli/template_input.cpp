#include "template_input.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "output.h"

namespace kv::cli {

void CheckReadable(const std::string& file) {
  struct stat info;
  if (stat(file.c_str(), &info) != 0) {
    throw UsageError("cannot read '" + file + "': " + std::strerror(errno) + ".");
  }
  if (S_ISDIR(info.st_mode)) throw UsageError("cannot read '" + file + "': it is a folder.");
  std::FILE* stream = std::fopen(file.c_str(), "r");
  if (!stream) throw UsageError("cannot read '" + file + "': " + std::strerror(errno) + ".");
  std::fclose(stream);
}

std::string LimitsOf(RecordKind record) {
  std::string text;
  for (const Field& field : AllFields()) {
    if (field.record != record || field.check.code == 0) continue;
    text += (text.empty() ? "" : ", ") + std::string(field.name) + " " +
            std::to_string(field.check.low) + " to " + std::to_string(field.check.high);
  }
  return text;
}

}  // namespace kv::cli
