// The lock that lets one program at a time talk to a sensor on Windows: a
// named mutex per interface path, in the Global namespace so that every
// user's programs and a service share it, with a DACL that lets all of them
// wait on it and release it. A user who may not make Global objects opens
// one a service made, or falls back to the session's Local namespace.
#pragma once

#include <string>

#include "hid/windows/win32.h"

namespace kv::hid::windows_backend {

class InterfaceMutex {
 public:
  explicit InterfaceMutex(const std::string& path);
  ~InterfaceMutex();
  InterfaceMutex(const InterfaceMutex&) = delete;
  InterfaceMutex& operator=(const InterfaceMutex&) = delete;

  // False while another program (or handle) owns it. A mutex left by a
  // program that died holding it counts as had. Without a mutex, true.
  bool TryHold();
  // Called on the thread that took it, as Windows requires.
  void Release();

 private:
  HANDLE mutex_ = nullptr;
};

// The mutex's name for an interface path in `space` ("Global" or "Local"):
// backslashes may not appear in it, so the path, case-folded (Windows names
// one interface either way), is hashed.
std::wstring InterfaceMutexName(const std::string& path, const wchar_t* space);

}  // namespace kv::hid::windows_backend
