// Saving a whole file so that a failure never costs the user the file they
// already had: the text goes to a temporary file beside the target, which
// replaces the target only once every byte was written, flushed and closed.
#pragma once

#include <cstdio>
#include <string_view>

namespace kv {

// The stdio calls a save makes, behind a seam so that tests can make a write,
// flush or close fail the way a full device does.
class FileOutput {
 public:
  virtual ~FileOutput() = default;
  virtual std::FILE* Open(const char* path, const char* mode);
  // False unless every byte was accepted.
  virtual bool Write(std::FILE* file, std::string_view bytes);
  virtual bool Flush(std::FILE* file);
  // Always releases the file; false when closing reported an error.
  virtual bool Close(std::FILE* file);
};

FileOutput& GetFileOutput();
// Installs `output` (nullptr restores plain stdio). The caller keeps ownership.
void SetFileOutput(FileOutput* output);

// Writes `text` to `path` in text mode, one write per line. An existing
// regular file (or the regular file a link leads to) is replaced only when
// the whole text was written; otherwise it is left as it was and no
// temporary file remains. A target that exists but is not a regular file (a
// device, a pipe) is written directly. False on any failure.
bool SaveTextFile(const char* path, std::string_view text);

}  // namespace kv
