// Who holds a sensor, which Windows cannot say (it names no owner of a
// mutex): the holder writes "program, process N" into a small named shared
// memory beside the sensor's mutex, and a program that finds the mutex held
// reads it. In the Global namespace where this user may make or open it
// (making a file mapping there takes SeCreateGlobalPrivilege, which
// services and administrators have), else in the session's Local one: a
// holder in another session may then go unnamed, which only costs its name.
#pragma once

#include <string>

#include "hid/windows/win32.h"

namespace kv::hid::windows_backend {

class HolderNote {
 public:
  // `name` without its namespace ("kv7700-sensor-HASH-holder").
  explicit HolderNote(const std::wstring& name);
  ~HolderNote();
  HolderNote(const HolderNote&) = delete;
  HolderNote& operator=(const HolderNote&) = delete;

  // "" clears it. Written only by the program that holds the mutex.
  void Write(const std::string& holder);
  // "" when nobody wrote one, or none could be had.
  std::string Read() const;

 private:
  HANDLE mapping_ = nullptr;
  char* view_ = nullptr;
};

}  // namespace kv::hid::windows_backend
