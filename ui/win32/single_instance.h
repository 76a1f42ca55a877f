// One configurator per user session: the first start holds a named mutex in
// the session's Local\ namespace; a later start finds the first one's sheet
// by a registered message it answers, brings it to the front and ends. Two
// sheets on the same sensors would show "Halt Key Sends" boxes that disagree.
#pragma once

#include "win32.h"

namespace kv::ui::win32 {

class SingleInstance {
 public:
  SingleInstance() = default;
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this is the first start of the session (it keeps the mutex
  // while it lives). False when another configurator runs: its sheet has
  // been brought forward, or did not answer in time.
  bool Claim();

  // The message a later start sends to every dialog window of the session;
  // the sheet answers it with kAnswer (and restores itself when minimised).
  static UINT ComeForwardMessage();
  static constexpr LRESULT kAnswer = 0x4B56;

 private:
  HANDLE mutex_ = nullptr;
};

}  // namespace kv::ui::win32
