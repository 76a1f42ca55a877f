// An exclusive lock between programs, on a small file of its own: the lock
// a sensor kept in a file takes, so two programs using that file take turns.
// The lock file lies beside the sensor's file because a save replaces the
// sensor's file with a new one, which a lock on the old one would not cover.
#pragma once

#include <string>

namespace kv::emu {

class FileLock {
 public:
  // Opens (or makes) `path`; without it every TryTake succeeds.
  explicit FileLock(const std::string& path);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // False while another program, or another FileLock, holds it. Taking it
  // writes this program's description into the file for others to read.
  bool TryTake();
  void Give();
  // The description the holder wrote; "".
  std::string Holder() const;

 private:
  std::string path_;
#ifdef _WIN32
  void* file_;
#else
  int fd_;
#endif
};

// "kv7700ctl, process 1234": this program's name and process id.
std::string ThisProgram();

}  // namespace kv::emu
