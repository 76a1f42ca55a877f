// The names screen readers hear for a window's controls. Windows would name
// an edit after whatever label stands before it in the window order and a
// drop-down list after nothing; the host names each control as the Linux
// host does instead.
//
// Where the system's oleacc stores names for a window (IAccPropServices,
// Windows' dynamic annotation), the name is given there and cleared again
// before the window goes. Where it does not (Wine answers E_NOTIMPL), the
// control answers WM_GETOBJECT itself with the system's own object for it,
// whose name (and value, where one is given) alone is replaced. A name or
// value that changes is announced (EVENT_OBJECT_NAMECHANGE,
// EVENT_OBJECT_VALUECHANGE), as readers learn of it only that way.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "win32.h"

struct IAccPropServices;

namespace kv::ui::win32 {

// What a control's own object answers where oleacc stores nothing.
struct AccessibleAnswer {
  std::wstring name;
  std::wstring value;
  bool hasValue = false;
};

class AccessibleNames {
 public:
  AccessibleNames() = default;
  ~AccessibleNames();
  AccessibleNames(const AccessibleNames&) = delete;
  AccessibleNames& operator=(const AccessibleNames&) = delete;

  // `control` is announced as `name` from now on (a second call renames it).
  void Name(HWND control, const std::wstring& name);
  // `control`, named already, reads as `value` from now on (a window that
  // draws a reading, say).
  void Value(HWND control, const std::wstring& value);
  // Every control named here loses its name; call while the windows exist.
  void Clear();
  // Whether `control`'s name went to oleacc's store (false: the control's
  // own object answers it).
  bool Annotated(HWND control) const;

 private:
  struct Entry {
    AccessibleAnswer answer;  // the subclass reads it
    bool annotated = false;
  };
  void Start();

  bool started_ = false;
  bool comStarted_ = false;
  IAccPropServices* store_ = nullptr;
  std::map<HWND, std::unique_ptr<Entry>> names_;
};

}  // namespace kv::ui::win32
