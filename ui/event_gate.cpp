#include "event_gate.h"

namespace kv::ui {

EventGate::Scope::Scope(EventGate& gate) : gate_(gate) {
  ++gate_.depth_;
}

EventGate::Scope::~Scope() {
  if (--gate_.depth_ == 0) {
    gate_.Release();
  }
}

void EventGate::Deliver(std::function<void()> event) {
  held_.push_back(std::move(event));
  if (!Busy()) {
    Release();
  }
}

void EventGate::Release() {
  if (releasing_) {
    return;  // the outer Release drains what arrived meanwhile
  }
  releasing_ = true;
  while (!held_.empty()) {
    std::function<void()> event = std::move(held_.front());
    held_.pop_front();
    Scope running(*this);
    event();
  }
  releasing_ = false;
}

}  // namespace kv::ui
