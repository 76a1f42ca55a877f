// The lock that lets one program at a time talk to a sensor on Windows: a
// named mutex per interface path, in the Global namespace so that every
// session's programs (a service in session 0 and the user at the desk, or
// two users) share one, with a DACL that lets all of them wait on it and
// release it. There is no fallback to the session's Local namespace: a lock
// of one's own would exclude nobody, so a mutex that cannot be had is a
// failure, told as such.
#pragma once

#include <string>

#include "hid/windows/holder_note.h"
#include "hid/windows/win32.h"

namespace kv::hid::windows_backend {

class InterfaceMutex {
 public:
  explicit InterfaceMutex(const std::string& path);
  ~InterfaceMutex();
  InterfaceMutex(const InterfaceMutex&) = delete;
  InterfaceMutex& operator=(const InterfaceMutex&) = delete;

  // True once this thread owns it; a mutex left by a program that died
  // holding it counts as had. False while another program owns it, and
  // when the mutex could not be made or opened, or the wait failed: then
  // Failure() says why.
  bool TryHold();
  // Called on the thread that took it, as Windows requires.
  void Release();
  // Why the last TryHold could not even wait ("" when nothing went wrong).
  const std::string& Failure() const { return failure_; }
  // Who holds it, where the holder could leave its name ("" otherwise).
  std::string Holder() const { return note_.Read(); }

 private:
  std::wstring name_;
  HANDLE mutex_ = nullptr;
  std::string failure_;
  HolderNote note_;
};

// The mutex's name for an interface path in `space` ("Global"):
// backslashes may not appear in it, so the path, case-folded (Windows names
// one interface either way), is hashed.
std::wstring InterfaceMutexName(const std::string& path, const wchar_t* space);

// The security of every sensor's mutex, as SDDL: all rights for the system
// and administrators; wait and release (SYNCHRONIZE | MUTEX_MODIFY_STATE)
// for every signed-in user, services and the service accounts.
extern const wchar_t* const kInterfaceMutexSddl;

}  // namespace kv::hid::windows_backend
