// Keeps the configurator's handlers from overlapping, as on the original
// platform's one thread: while a handler (and any library call it makes)
// runs, device notifications wait and timer ticks are dropped.
//
// The window thread may still run events while a handler waits (a host
// paints during a library call, a message box runs its own loop), so every
// entry point of the sheet and the pages opens a Scope; device notifications
// go through Deliver and timer ticks check Busy. Window thread only.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>

namespace kv::ui {

class EventGate {
 public:
  // Marks a handler as running for its lifetime; scopes nest.
  class Scope {
   public:
    explicit Scope(EventGate& gate);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    EventGate& gate_;
  };

  bool Busy() const { return depth_ > 0; }

  // Runs `event` now when no handler runs; otherwise holds it and runs it,
  // in arrival order, as soon as the outermost handler has ended.
  void Deliver(std::function<void()> event);
  std::size_t HeldCount() const { return held_.size(); }

 private:
  void Release();

  int depth_ = 0;
  bool releasing_ = false;
  std::deque<std::function<void()>> held_;
};

}  // namespace kv::ui
