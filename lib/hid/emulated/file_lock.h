// An exclusive lock between programs, on a small file of its own: the lock
// a sensor kept in a file takes, so two programs using that file take turns.
// The lock file lies beside the sensor's file because a save replaces the
// sensor's file with a new one, which a lock on the old one would not cover.
#pragma once

#include <string>

namespace kv::emu {

class FileLock {
 public:
  // Opens (or makes, readable and writable by this user only) `path`,
  // never through a symbolic link; Error then says why it could not.
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
  // The turn beside the lock (see hid::HidLayer::TryTakeTurn).
  bool TryTakeTurn();
  void GiveTurn();
  // Why the file could not be opened; "" when it was. A lock that cannot be
  // had is never taken: TryTake then fails.
  const std::string& Error() const { return error_; }

 private:
  std::string path_;
  std::string error_;
#ifdef _WIN32
  void* file_;
#else
  int fd_;
#endif
};

// "kv7700ctl, process 1234": this program's name and process id.
std::string ThisProgram();

}  // namespace kv::emu
